// movra: the Movra client for people and scripts.
#include "movra/AccountCommand.h"
#include "movra/ApiCommand.h"
#include "movra/BrowseCommand.h"
#include "movra/CastCommand.h"
#include "movra/ContinueCommand.h"
#include "movra/DemoCommand.h"
#include "movra/GlobalOptions.h"
#include "movra/HomeCommand.h"
#include "movra/ImageCommand.h"
#include "movra/ItemCommand.h"
#include "movra/KidsConfigCommand.h"
#include "movra/LoginCommand.h"
#include "movra/LogoutCommand.h"
#include "movra/MenuCommand.h"
#include "movra/OpenCommand.h"
#include "movra/PlayCommand.h"
#include "movra/ProfileCommand.h"
#include "movra/SearchCommand.h"
#include "movra/SeriesCommand.h"
#include "movra/SettingsCommand.h"
#include "movra/SignalWatch.h"
#include "movra/TenantCommand.h"
#include "movra/ThumbnailCommand.h"
#include "movra/WatchlistCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    using namespace movra::cli;
    // First, so that every thread started later leaves SIGINT and SIGTERM to it.
    SignalWatch signalWatch;

    CLI::App app{"Movra client: browse, play and cast the Movra Tavik catalogue"};
    app.require_subcommand(1);
    GlobalOptions options;
    app.add_option("--data-dir", options.dataDir, "Where the client keeps its data (default $XDG_DATA_HOME/movra)");
    app.add_option("--discriminator-host", options.discriminatorHost, "Tenant discriminator HOST[:PORT]");
    app.add_option("--api-host", options.apiHost, "Talk to this API HOST[:PORT] and skip the discriminator");
    app.add_option("--tenant", options.tenant, "Tenant for --api-host: MVTK (Tavik) or MVSL (Solara)")
        ->check(CLI::IsMember({"MVTK", "MVSL", "Movra Tavik", "Movra Solara"}));
    app.add_option("--ca-file", options.caFile, "Extra trusted CA certificates (PEM)");
    app.add_option("--drm-certificate", options.drmCertificateFile,
                   "DRM application certificate (DER) for key requests, if config.json names none");
    app.add_flag("--json", options.json, "Print JSON");
    app.add_flag("-v", options.verbosity, "More log output (repeat for more)");

    int status = 0;
    DemoCommand demo;
    app.add_subcommand("demo", "Start the service emulator and run the client against it")->callback([&] {
        status = demo.run(options);
    });

    ApiCommand api;
    auto* apiCommand = app.add_subcommand("api", "Send one request through the API client");
    apiCommand->add_option("METHOD", api.method, "GET, POST, PUT or DELETE")->required();
    apiCommand->add_option("PATH", api.path, "Path below the client API base (\"browse\") or absolute")->required();
    apiCommand->add_option("-p,--param", api.parameters, "Query parameter KEY=VALUE (repeatable)");
    apiCommand->callback([&] { status = api.run(options); });

    LoginCommand login;
    auto* loginCommand = app.add_subcommand("login", "Sign in (the password never comes from an argument)");
    loginCommand->add_option("USER", login.userName, "User name (e-mail address)")->required();
    loginCommand->add_flag("--password-stdin", login.passwordFromStdin,
                           "Read the password from standard input (else MOVRA_PASSWORD, else a prompt)");
    loginCommand->callback([&] { status = login.run(options); });

    LogoutCommand logout;
    app.add_subcommand("logout", "Sign out; the device identifier stays")->callback([&] {
        status = logout.run(options);
    });

    AccountCommand account;
    app.add_subcommand("account", "Show the signed-in subscriber's account")->callback([&] {
        status = account.run(options);
    });

    TenantCommand tenant;
    app.add_subcommand("tenant", "Run the region check and show the tenants")->callback([&] {
        status = tenant.run(options);
    });

    SettingsCommand settings;
    auto* settingsCommand = app.add_subcommand("settings", "List the subscriber's settings");
    settingsCommand->callback([&] {
        if (settingsCommand->get_subcommands().empty()) status = settings.run(options);
    });
    auto* settingsSet = settingsCommand->add_subcommand("set", "Write settings");
    settingsSet->add_option("NAME=VALUE", settings.arguments, "Settings to write")->required();
    settingsSet->callback([&] {
        settings.action = SettingsCommand::Action::Set;
        status = settings.run(options);
    });
    auto* settingsClear = settingsCommand->add_subcommand("clear", "Remove settings");
    settingsClear->add_option("NAME", settings.arguments, "Settings to remove")->required();
    settingsClear->callback([&] {
        settings.action = SettingsCommand::Action::Clear;
        status = settings.run(options);
    });

    MenuCommand menu;
    app.add_subcommand("menu", "Show the root menu as the client stores it")->callback([&] {
        status = menu.run(options);
    });

    HomeCommand home;
    app.add_subcommand("home", "Show the landing page: carousel, shelves, continue watching, watchlist")->callback([&] {
        status = home.run(options);
    });

    OpenCommand open;
    auto* openCommand = app.add_subcommand("open", "Open an item or path as the app routes it and show its screen");
    openCommand->add_option("TARGET", open.target, "A catalogue guid, or a path (\"browse/films\")")->required();
    openCommand->add_flag("--all-pages", open.allPages, "Let a list page to its feed's total before showing it");
    openCommand->add_flag("--play", open.play, "Play the title its page shows");
    openCommand->callback([&] { status = open.run(options); });

    SeriesCommand series;
    auto* seriesCommand = app.add_subcommand("series", "Show a series: its seasons as tabs and one season's episodes");
    seriesCommand->add_option("GUID", series.target, "The series (or one of its seasons)")->required();
    seriesCommand->add_option("--season", series.season, "The season to show, 1 for the first")
        ->check(CLI::PositiveNumber);
    seriesCommand->callback([&] { status = series.run(options); });

    SearchCommand search;
    auto* searchCommand = app.add_subcommand("search", "Search the catalogue as the search screen does");
    searchCommand->add_option("QUERY", search.text, "What to search for")->required();
    searchCommand->callback([&] { status = search.run(options); });
    SearchCommand suggest{.text = {}, .suggest = true};
    auto* suggestCommand = app.add_subcommand("suggest", "Type TEXT and show the suggestions after each character");
    suggestCommand->add_option("TEXT", suggest.text, "What to type")->required();
    suggestCommand->callback([&] { status = suggest.run(options); });

    BrowseCommand browse;
    auto* browseCommand = app.add_subcommand("browse", "Import a channel and show its stored items");
    browseCommand->add_option("PATH", browse.path, "Path to browse (default: the root menu, \"browse\")");
    browseCommand->add_flag("--all-pages", browse.allPages, "Fetch further pages until the channel's total");
    browseCommand->add_option("--sort", browse.sortKey, "Sort key sent to the service");
    browseCommand->add_flag("--desc", browse.descending, "Sort descending");
    browseCommand->callback([&] { status = browse.run(options); });

    ItemCommand item;
    auto* itemCommand = app.add_subcommand("item", "Import one title and show it");
    itemCommand->add_option("GUID", item.guid, "The title's guid")->required();
    itemCommand->callback([&] { status = item.run(options); });

    ProfileCommand profile;
    auto* profileCommand = app.add_subcommand("profile", "Show the active profile, or pick adult, kids or none");
    profileCommand->add_option("PROFILE", profile.profile, "The profile to pick")
        ->check(CLI::IsMember({"adult", "kids", "none"}));
    auto* forgotPinFlag = profileCommand->add_flag(
        "--forgot-pin", profile.forgotPin,
        "Leave the kids profile with the account password instead of the PIN (this clears the PIN)");
    profileCommand
        ->add_flag("--pin-stdin", profile.pinFromStdin,
                   "Read the PIN that leaves the kids profile from standard input (else MOVRA_PIN, else a prompt)")
        ->excludes(forgotPinFlag);
    profileCommand
        ->add_flag("--password-stdin", profile.passwordFromStdin,
                   "Read the account password from standard input (else MOVRA_PASSWORD, else a prompt)")
        ->needs(forgotPinFlag);
    profileCommand->callback([&] { status = profile.run(options); });

    KidsConfigCommand kidsConfig;
    auto* kidsConfigCommand =
        app.add_subcommand("kids-config", "Show the kids-mode configuration, or write the parts given");
    auto* setPinFlag = kidsConfigCommand->add_flag(
        "--set-pin", kidsConfig.setPin,
        "Set a four-digit PIN, which turns the set-up on (from --pin-stdin, else MOVRA_PIN, else a prompt)");
    kidsConfigCommand->add_flag("--pin-stdin", kidsConfig.pinFromStdin, "Read the PIN from standard input")
        ->needs(setPinFlag);
    kidsConfigCommand->add_flag("--clear-pin", kidsConfig.clearPin, "Remove the PIN")->excludes(setPinFlag);
    kidsConfigCommand->add_option("--ignore", kidsConfig.ignore, "Turn the kids-mode set-up off (true) or on (false)")
        ->check(CLI::IsMember({"true", "false"}))
        ->excludes(setPinFlag);
    kidsConfigCommand->callback([&] { status = kidsConfig.run(options); });

    WatchlistCommand watchlist;
    auto* watchlistCommand = app.add_subcommand("watchlist", "List the watchlist");
    watchlistCommand->callback([&] {
        if (watchlistCommand->get_subcommands().empty()) status = watchlist.run(options);
    });
    auto* watchlistAdd = watchlistCommand->add_subcommand("add", "Put a title on the watchlist");
    watchlistAdd->add_option("GUID", watchlist.guid, "The title's guid")->required();
    watchlistAdd->callback([&] {
        watchlist.action = WatchlistCommand::Action::Add;
        status = watchlist.run(options);
    });
    auto* watchlistRemove = watchlistCommand->add_subcommand("remove", "Take a title off the watchlist");
    watchlistRemove->add_option("GUID", watchlist.guid, "The title's guid")->required();
    watchlistRemove->callback([&] {
        watchlist.action = WatchlistCommand::Action::Remove;
        status = watchlist.run(options);
    });

    ContinueCommand continueWatching;
    app.add_subcommand("continue", "List the titles to continue watching, with progress")->callback([&] {
        status = continueWatching.run(options);
    });

    PlayCommand play;
    auto* playCommand =
        app.add_subcommand("play", "Play a title: space pauses, arrows seek 10 s, s subtitles, a audio, q quits");
    playCommand->add_option("GUID", play.guid, "The title's guid")->required();
    auto* fromOption = playCommand->add_option("--from", play.from, "Start at SECONDS")->check(CLI::NonNegativeNumber);
    playCommand->add_flag("--start-over", play.startOver, "Start from the beginning")->excludes(fromOption);
    playCommand->add_option("--for", play.forSeconds, "Stop after SECONDS of playing")->check(CLI::PositiveNumber);
    playCommand->add_option("--video", play.video, "Video output")->check(CLI::IsMember({"auto", "window", "none"}));
    playCommand->add_option("--audio", play.audio, "Audio output")->check(CLI::IsMember({"auto", "none"}));
    playCommand->add_option("--subtitle", play.subtitle, "Subtitles to show: a language code (sv, no, ...) or none");
    playCommand->add_option("--audio-track", play.audioTrack, "Audio track to play, by its name");
    playCommand->callback([&] { status = play.run(options); });

    CastCommand cast;
    auto* castCommand = app.add_subcommand("cast", "Cast receivers");
    castCommand->require_subcommand(1);
    auto* castDevices = castCommand->add_subcommand("devices", "List the cast receivers found");
    castDevices->add_option("--wait", cast.waitSeconds, "Seconds to look for receivers")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    castDevices->callback([&] { status = cast.runDevices(options); });

    ImageCommand image;
    auto* imageCommand = app.add_subcommand("image", "Load a picture as an image view of a size shows it");
    imageCommand->add_option("URL", image.url, "The picture's URL")->required();
    imageCommand->add_option("--size", image.size, "The view's size in points, WIDTHxHEIGHT (drawn at 2x)");
    imageCommand->add_option("--out", image.outputPath, "The PNG file to write")->required();
    imageCommand->callback([&] { status = image.run(options); });

    ThumbnailCommand thumbnail;
    auto* thumbnailCommand =
        app.add_subcommand("thumbnail", "Write the seek picture the player shows for a time of a title");
    thumbnailCommand->add_option("GUID", thumbnail.guid, "The title's guid")->required();
    thumbnailCommand->add_option("SECONDS", thumbnail.seconds, "The time in the title")
        ->required()
        ->check(CLI::NonNegativeNumber);
    thumbnailCommand->add_option("--out", thumbnail.outputPath, "The PNG file to write")->required();
    thumbnailCommand->callback([&] { status = thumbnail.run(options); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Usage errors exit 2, as the commands' own do; --help prints and exits 0.
        return app.exit(error) == 0 ? 0 : 2;
    }
    if (const int signal = SignalWatch::caught()) {
        std::cerr << "movra: interrupted (" << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ")" << std::endl;
        return 128 + signal;
    }
    return status;
}

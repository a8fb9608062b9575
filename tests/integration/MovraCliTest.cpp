// The movra program itself, run as a child process against the emulator on a loopback port: exit statuses,
// what people and scripts read (text and --json), the kids-mode PIN kept out of arguments and listings, an
// unreadable catalogue store, and SIGINT/SIGTERM while requests are in flight.
#include "EmulatorTest.h"
#include "Foundation/Strings.h"
#include "movra-backend/MediaLibrary.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace movra::backend {
namespace {

using test::ChildProcess;

constexpr double kChildSeconds = 60;

struct CommandCase {
    std::vector<std::string> arguments;
    int exitCode;
    /// Text the output holds: stdout on success, stderr (text) or stdout (--json) on failure.
    std::string says;
    std::string input = {};
};

bool hasSanitizerReport(const std::string& err) {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:", "ThreadSanitizer"})
        if (err.find(mark) != std::string::npos) return true;
    return false;
}

class MovraCliTest : public EmulatorTest {
  protected:
    ChildProcess::Options movraOptions(const std::vector<std::string>& arguments, std::string input = {},
                                       std::vector<std::string> environment = {}) const {
        std::vector<std::string> argv = {MOVRA_CLI,
                                         "--data-dir",
                                         home_.path(),
                                         "--discriminator-host",
                                         "127.0.0.1:" + std::to_string(server_->port()),
                                         "--ca-file",
                                         server_->caFile()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        // The runner's own secrets and data directory must not reach the child.
        return {argv, std::move(environment), {"MOVRA_PASSWORD", "MOVRA_PIN", "XDG_DATA_HOME"}, std::move(input)};
    }

    ChildProcess::Outcome movra(const std::vector<std::string>& arguments, std::string input = {},
                                std::vector<std::string> environment = {}) const {
        auto outcome =
            ChildProcess(movraOptions(arguments, std::move(input), std::move(environment))).finish(kChildSeconds);
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_EQ(outcome.signal, 0) << outcome.err;
        EXPECT_FALSE(hasSanitizerReport(outcome.err)) << outcome.err;
        return outcome;
    }

    void signIn() const {
        auto outcome = movra({"login", kAnna, "--password-stdin"}, std::string(kAnnasPassword) + "\n");
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    }

    void expectCase(const CommandCase& row) const {
        SCOPED_TRACE("movra " + join(row.arguments, " "));
        const auto outcome = movra(row.arguments, row.input);
        EXPECT_EQ(outcome.exitCode, row.exitCode) << outcome.out << outcome.err;
        const bool json = row.arguments.front() == "--json";
        const std::string& said = row.exitCode == 0 || json ? outcome.out : outcome.err;
        EXPECT_NE(said.find(row.says), std::string::npos) << "no \"" << row.says << "\" in:\n" << said;
        if (json) {
            EXPECT_TRUE(Json::parse(outcome.out, nullptr, /*allow_exceptions=*/false).is_object()) << outcome.out;
        }
    }

    std::size_t requestCount() const { return controlJson("/_emulator/requests").size(); }

    Json annasSettings() const {
        for (const auto& account : controlJson("/_emulator/accounts"))
            if (account.value("userName", "") == kAnna) return account["settings"];
        return nullptr;
    }

    test::TemporaryDirectory home_;
};

TEST_F(MovraCliTest, CommandsOfASubscriberAnswerPeopleAndScripts) {
    const std::string password = std::string(kAnnasPassword) + "\n";
    const std::vector<CommandCase> session = {
        {{"--json", "login", kAnna, "--password-stdin"}, 0, "\"homeTenant\": \"Movra Tavik\"", password},
        {{"account"}, 0, "Account 100200301 (Active): Anna Lindqvist, country SE"},
        {{"--json", "tenant"}, 0, "\"apiHost\""},
        {{"--json", "menu"}, 0, "\"Log Out\""},
        {{"--json", "browse", "browse/landing"}, 0, "film-frost-line"},
        {{"--json", "item", "film-frost-line"}, 0, "\"guid\": \"film-frost-line\""},
        {{"watchlist", "add", "film-frost-line"}, 0, "film-frost-line"},
        {{"--json", "watchlist"}, 0, "film-frost-line"},
        {{"watchlist", "remove", "film-frost-line"}, 0, "film-frost-line"},
        {{"--json", "continue"}, 0, "series-coastline-s1e02"},
        {{"--json", "profile"}, 0, "\"activeProfile\""},
        {{"kids-config"}, 0, "Kids-mode configuration"},
        {{"settings"}, 0, "subtitle=sv_mvtk"},
        {{"--json", "api", "GET", "browse"}, 0, "\"status\": 200"},
        {{"--json", "logout"}, 0, "\"wasSignedIn\": true"},
        {{"account"}, 1, "Not signed in: use movra login USER"},
    };
    for (const auto& row : session) expectCase(row);
}

/// The shelves of a `movra --json home` (or open) answer: title -> state, with their section kinds.
std::map<std::string, std::string> shelfStates(const Json& screen) {
    std::map<std::string, std::string> states;
    for (const auto& section : screen.value("sections", Json::array()))
        for (const auto& shelf : section.value("shelves", Json::array()))
            states[shelf.value("title", "")] = shelf.value("state", "");
    return states;
}

TEST_F(MovraCliTest, HomeShowsTheLandingPageAndAFailingShelfAlone) {
    signIn();
    auto first = movra({"--json", "home"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const Json home = Json::parse(first.out);
    EXPECT_EQ(home["screen"], "LandingPageViewController");
    EXPECT_EQ(home["state"], "Loaded");
    ASSERT_FALSE(home["sections"].empty());
    EXPECT_EQ(home["sections"][0]["kind"], "Carousel");
    EXPECT_EQ(home["sections"][0]["items"].size(), 6u);
    auto states = shelfStates(home);
    ASSERT_GE(states.size(), 10u);
    EXPECT_TRUE(std::all_of(states.begin(), states.end(), [](const auto& s) { return s.second == "Loaded"; }));
    EXPECT_EQ(states.count("Continue Watching"), 1u) << "Anna has titles to continue";

    // Within the feeds' ttl only what every visit asks is asked again: no menu, no landing feed.
    server_->requestLog().clear();
    ASSERT_EQ(movra({"home"}).exitCode, 0);
    for (const auto& entry : server_->requestLog().entries()) {
        EXPECT_FALSE(entry.path.ends_with("/ios/browse")) << "the menu is stored";
        EXPECT_FALSE(entry.path.ends_with("/browse/landing")) << "the landing feed is stored";
    }

    ASSERT_FALSE(server_->faults().apply(
        {{"failPath", {{"path", "/stoffice/client/ios/browse/shelf-thrillers"}, {"status", 503}}}}));
    const Json failing = Json::parse(movra({"--json", "home"}).out);
    for (const auto& [shelf, state] : shelfStates(failing))
        EXPECT_EQ(state, shelf == "Crime and thrillers" ? "Failed" : "Loaded") << shelf;
}

TEST_F(MovraCliTest, OpenRoutesAsTheAppDoesAndPagesALongList) {
    signIn();
    ASSERT_EQ(movra({"home"}).exitCode, 0);  // stores the landing page's items
    const std::pair<const char*, const char*> routes[] = {{"shelf-new-films", "MVThumbnailTableViewController"},
                                                          {"series-coastline", "MVSeriesViewController"},
                                                          {"film-frost-line", "MVEpisodeViewController"},
                                                          {"WATCHLIST", "MVThumbnailTableViewController"}};
    for (const auto& [target, screen] : routes) {
        SCOPED_TRACE(target);
        auto outcome = movra({"--json", "open", target});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(Json::parse(outcome.out)["screen"], screen);
    }

    server_->requestLog().clear();
    auto all = movra({"--json", "open", "browse/shelf-all-films", "--all-pages"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const Json list = Json::parse(all.out);
    EXPECT_EQ(list["state"], "Loaded");
    EXPECT_EQ(list["total"], 75);
    EXPECT_EQ(list["items"].size(), 75u);
    std::vector<std::string> offsets;
    for (const auto& entry : server_->requestLog().entries())
        if (entry.path.ends_with("/browse/shelf-all-films")) offsets.push_back(entry.queryValue("offset").value_or(""));
    EXPECT_EQ(offsets, (std::vector<std::string>{"0", "30", "60"}));

    EXPECT_EQ(movra({"open", "no-such-guid"}).exitCode, 1);
}

TEST_F(MovraCliTest, SeriesSearchAndSuggestionsAsTheScreensShowThem) {
    signIn();
    auto series = movra({"--json", "series", "series-coastline", "--season", "2"});
    ASSERT_EQ(series.exitCode, 0) << series.err;
    const Json shown = Json::parse(series.out);
    ASSERT_EQ(shown["tabs"].size(), 3u);
    EXPECT_EQ(shown["tabs"][1]["current"], true);
    EXPECT_EQ(shown["season"], "Season 2");
    EXPECT_FALSE(shown["episodes"].empty());

    server_->requestLog().clear();
    auto typed = movra({"--json", "suggest", "frost"});
    ASSERT_EQ(typed.exitCode, 0) << typed.err;
    const Json steps = Json::parse(typed.out)["steps"];
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0]["state"], "idle") << "one character sends nothing";
    EXPECT_EQ(steps[4]["items"][0]["guid"], "film-frost-line");
    std::vector<std::string> queries;
    for (const auto& entry : server_->requestLog().entries())
        if (entry.path.ends_with("/suggestions")) queries.push_back(entry.queryValue("query").value_or(""));
    EXPECT_EQ(queries, (std::vector<std::string>{"fr", "fro", "fros", "frost"}));

    // Typed without its accent, a title is found; in the kids profile only kids titles are.
    auto guidsOf = [](const Json& items) {
        std::set<std::string> guids;
        for (const auto& item : items) guids.insert(item.value("guid", ""));
        return guids;
    };
    auto found = Json::parse(movra({"--json", "search", "lucia"}).out);
    EXPECT_EQ(guidsOf(found["items"]), (std::set<std::string>{"film-letters-to-lucia", "film-lucias-kitchen"}));
    ASSERT_EQ(movra({"profile", "kids"}).exitCode, 0);
    auto kids = Json::parse(movra({"--json", "suggest", "lucia"}).out)["steps"];
    EXPECT_EQ(guidsOf(kids.back()["items"]), std::set<std::string>{"film-lucias-kitchen"});
}

TEST_F(MovraCliTest, UsageErrorsAndRefusedPINsSendNothing) {
    signIn();
    const std::vector<CommandCase> refused = {
        {{"frobnicate"}, 2, "Run with --help"},
        {{"item"}, 2, "GUID"},
        {{"kids-config", "--pin", "4821"}, 2, "--pin"},
        {{"kids-config", "--set-pin", "--clear-pin"}, 2, "--clear-pin"},
        {{"kids-config", "--set-pin"}, 2, "no PIN given: use --pin-stdin, MOVRA_PIN or a terminal"},
        {{"kids-config", "--set-pin", "--pin-stdin"}, 2, "no PIN on standard input"},
        {{"settings", "set", "kidsModePIN=4821"}, 2, "kidsModePIN is set with movra kids-config --set-pin"},
        {{"--json", "kids-config", "--set-pin", "--pin-stdin"}, 2, "PIN validation error: ", "48a1\n"},
    };
    for (const auto& row : refused) {
        const auto before = requestCount();
        expectCase(row);
        EXPECT_EQ(requestCount(), before) << "movra " << join(row.arguments, " ") << " sent a request";
    }
}

TEST_F(MovraCliTest, ThePINIsReadLikeThePasswordAndNeverListed) {
    signIn();
    ASSERT_EQ(movra({"kids-config", "--set-pin", "--pin-stdin"}, "4821\n").exitCode, 0);
    EXPECT_EQ(annasSettings().value("kidsModePIN", ""), "4821");
    ASSERT_EQ(movra({"kids-config", "--set-pin"}, {}, {"MOVRA_PIN=7305"}).exitCode, 0);
    EXPECT_EQ(annasSettings().value("kidsModePIN", ""), "7305");

    // One listing code serves every source of the PIN.
    const auto text = movra({"settings"});
    const auto json = movra({"--json", "settings"});
    const auto shown = movra({"--json", "kids-config"});
    EXPECT_NE(text.out.find("kidsModePIN=****\n"), std::string::npos) << text.out;
    EXPECT_EQ(Json::parse(json.out, nullptr, false)["settings"].value("kidsModePIN", ""), "****") << json.out;
    EXPECT_EQ(Json::parse(shown.out, nullptr, false).value("hasPIN", false), true) << shown.out;
    for (const auto* listing : {&text, &json, &shown}) {
        EXPECT_EQ(listing->out.find("7305"), std::string::npos) << listing->out;
        EXPECT_EQ(listing->err.find("7305"), std::string::npos) << listing->err;
    }

    ASSERT_EQ(movra({"kids-config", "--clear-pin"}).exitCode, 0);
    EXPECT_EQ(annasSettings().value("kidsModePIN", "?"), "");
    const auto cleared = movra({"--json", "settings"});
    EXPECT_NE(Json::parse(cleared.out, nullptr, false)["settings"].value("kidsModePIN", "?"), "****") << cleared.out;
}

TEST_F(MovraCliTest, LeavingTheKidsProfileTakesThePINOrTheAccountPassword) {
    signIn();
    ASSERT_EQ(movra({"kids-config", "--set-pin", "--pin-stdin"}, "2468\n").exitCode, 0);
    auto activeProfile = [this] {
        return Json::parse(movra({"--json", "profile"}).out, nullptr, false).value("activeProfile", "");
    };
    ASSERT_EQ(movra({"profile", "kids"}).exitCode, 0);
    ASSERT_EQ(activeProfile(), "kids");

    const auto wrongPIN = movra({"profile", "adult", "--pin-stdin"}, "1357\n");
    EXPECT_EQ(wrongPIN.exitCode, 1);
    EXPECT_NE(wrongPIN.err.find("Wrong PIN: still in the kids profile"), std::string::npos) << wrongPIN.err;
    EXPECT_EQ(activeProfile(), "kids");
    const auto rightPIN = movra({"profile", "adult"}, {}, {"MOVRA_PIN=2468"});
    EXPECT_EQ(rightPIN.exitCode, 0) << rightPIN.err;
    EXPECT_EQ(activeProfile(), "adult");

    ASSERT_EQ(movra({"profile", "kids"}).exitCode, 0);
    const auto wrongPassword = movra({"profile", "adult", "--forgot-pin", "--password-stdin"}, "anna-tavik-1\n");
    EXPECT_EQ(wrongPassword.exitCode, 1);
    EXPECT_NE(wrongPassword.err.find("Incorrect Password. Note that passwords are case sensitive."), std::string::npos)
        << wrongPassword.err;
    EXPECT_EQ(activeProfile(), "kids");
    EXPECT_EQ(annasSettings().value("kidsModePIN", ""), "2468");
    const auto password =
        movra({"profile", "adult", "--forgot-pin", "--password-stdin"}, std::string(kAnnasPassword) + "\n");
    EXPECT_EQ(password.exitCode, 0) << password.err;
    EXPECT_EQ(activeProfile(), "adult");
    const auto config = movra({"kids-config"});
    EXPECT_NE(config.out.find("PIN: none"), std::string::npos) << config.out;
}

TEST_F(MovraCliTest, AnUnreadableStoreIsMovedAsideAndTheCommandStillWorks) {
    // Which damage the store takes is the library's concern (UnreadableStoreTest); this is the program's.
    signIn();
    const std::string store = home_.file("MovraTavik.sqlite");
    std::mt19937 random(4096);
    std::string garbage(4096, '\0');
    for (auto& byte : garbage) byte = static_cast<char>(random());
    for (const auto& entry : std::filesystem::directory_iterator(home_.path()))
        if (entry.path().filename().string().starts_with("MovraTavik.sqlite")) std::filesystem::remove(entry);
    home_.write("MovraTavik.sqlite", garbage);

    const auto outcome = movra({"browse", "browse/landing"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("[film-frost-line]"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find("cannot be read"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("moved to " + store + ".unreadable-"), std::string::npos) << outcome.err;
    EXPECT_TRUE(std::filesystem::exists(store));
}

int exitTestRuns() {
    const char* runs = std::getenv("MOVRA_EXIT_TEST_RUNS");
    return runs ? std::max(1, std::atoi(runs)) : 10;
}

TEST_F(MovraCliTest, ASignalWhileRequestsAreInFlightEndsTheCommandCleanly) {
    BackendServer::Options options;
    options.generatedItems = 200;  // seven pages of 30
    start(options);
    signIn();
    const auto delayed = client()->Post("/_emulator/faults", R"({"delayMs": 40})", "application/json");
    ASSERT_TRUE(delayed && delayed->status == 200);

    std::mt19937 random(20260611);
    std::map<int, int> statuses;
    std::size_t requests = 0;
    const int runs = exitTestRuns();
    for (int run = 0; run < runs; ++run) {
        const int signal = run % 2 ? SIGTERM : SIGINT;
        // Run 0 is left alone: the command ends normally, and tells how many requests it sends. Others get the
        // signal once a chosen request has reached the emulator, which holds it for the delay; one past the
        // last, the command finishes first.
        const std::size_t signalAt = run == 0 ? SIZE_MAX : 1 + random() % (requests + 1);
        SCOPED_TRACE("run " + std::to_string(run) + ", signal " + std::to_string(signal) + " at request " +
                     std::to_string(signalAt));
        server_->requestLog().clear();
        ChildProcess child(movraOptions({"browse", "browse/generated", "--all-pages"}));
        ASSERT_TRUE(child.started());
        while (child.running() && server_->requestLog().entries().size() < signalAt) std::this_thread::yield();
        if (child.running()) child.sendSignal(signal);
        const auto outcome = child.finish(kChildSeconds);
        if (run == 0) requests = server_->requestLog().entries().size();

        ASSERT_FALSE(outcome.timedOut);
        ASSERT_EQ(outcome.signal, 0) << "ended by signal " << outcome.signal << "\n" << outcome.err;
        EXPECT_FALSE(hasSanitizerReport(outcome.err)) << outcome.err;
        ++statuses[outcome.exitCode];
        if (outcome.exitCode == 0) {
            EXPECT_NE(outcome.out.find("200 of 200 items"), std::string::npos) << outcome.out;
        } else {
            ASSERT_EQ(outcome.exitCode, 128 + signal) << outcome.err;
            EXPECT_NE(outcome.err.find("movra: interrupted"), std::string::npos) << outcome.err;
        }
        ASSERT_TRUE(run > 0 || outcome.exitCode == 0);
    }
    std::string seen;
    for (const auto& [status, count] : statuses)
        seen += " " + std::to_string(count) + "x exit " + std::to_string(status);
    std::cout << "[ signals  ] " << runs << " runs:" << seen << std::endl;
}

}  // namespace
}  // namespace movra::backend

namespace movra::backend {
namespace {

/// `movra play` against the emulator's real streams, headless, on the shared media.
class MovraPlayTest : public MovraCliTest {
  protected:
    void SetUp() override {
        BackendServer::Options options;
        options.mediaDir = MOVRA_TEST_MEDIA_DIR;
        start(options);
        signIn();
    }
    ChildProcess::Outcome play(std::vector<std::string> arguments) const {
        std::vector<std::string> argv = {"--drm-certificate", server_->drmCertificateFile(), "play", kFilm};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        for (const char* output : {"--video", "none", "--audio", "none"}) argv.push_back(output);
        return movra(argv);
    }
    std::vector<RequestLog::Entry> requests(const std::string& method, const std::string& pathPrefix) const {
        std::vector<RequestLog::Entry> found;
        for (const auto& entry : server_->requestLog().entries())
            if (entry.method == method && startsWith(entry.path, pathPrefix)) found.push_back(entry);
        return found;
    }

    static constexpr const char* kFilm = "film-frost-line";
};

TEST_F(MovraPlayTest, PlayOpensTheSessionFetchesTheKeyAndClosesWithTheFinalPosition) {
    auto outcome = play({"--for", "4"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    auto opened = requests("GET", "/stoffice/session/film-frost-line");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].queryValue("responseType"), "xml");
    auto keys = requests("POST", "/stoffice/drm/fps/");
    ASSERT_FALSE(keys.empty());
    EXPECT_TRUE(keys[0].queryValue("keyId"));
    EXPECT_EQ(keys[0].queryValue("assetId"), kFilm);
    EXPECT_EQ(keys[0].header("Content-Type"), "application/octect-stream");
    auto bookmarks = requests("POST", "/stoffice/session/film-frost-line");
    ASSERT_FALSE(bookmarks.empty());
    EXPECT_EQ(bookmarks[0].queryValue("bookmarkSecs"), "0");
    auto closed = requests("DELETE", "/stoffice/session/film-frost-line");
    ASSERT_EQ(closed.size(), 1u);
    const int finalSeconds = std::stoi(closed[0].queryValue("bookmarkSecs").value_or("-1"));
    EXPECT_GE(finalSeconds, 2) << outcome.out << outcome.err;
    EXPECT_LE(finalSeconds, 5);

    auto listed = movra({"continue"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("[film-frost-line] 0:00:0" + std::to_string(finalSeconds)), std::string::npos)
        << listed.out;
}

TEST_F(MovraPlayTest, FaultsThatLastEndInThePlaybackErrorAndPassingOnesAreRidden) {
    const std::string segment = "/media/" + MediaLibrary::assetForTitle(kFilm).id + "/" +
                                MediaLibrary::assetForTitle(kFilm).id + "_180/seg_00001";
    struct Case {
        const char* name;
        Json faults;
        int exitCode;
        std::size_t keyRequests;
    };
    for (const auto& c : std::vector<Case>{
             {"empty key answers", {{"emptyNext", {{"count", 3}, {"path", "/stoffice/drm/fps/"}}}}, 1, 3},
             {"a segment the server keeps failing",
              {{"failNext", {{"count", 50}, {"status", 503}, {"path", segment}}}},
              1,
              1},
             {"a segment whose transfer keeps breaking off", {{"cutNext", {{"count", 50}, {"path", segment}}}}, 1, 1},
             {"one broken transfer", {{"cutNext", {{"count", 1}, {"path", segment}}}}, 0, 1},
         }) {
        SCOPED_TRACE(c.name);
        server_->requestLog().clear();
        Json faults = c.faults;
        faults["reset"] = true;
        ASSERT_FALSE(server_->faults().apply(faults));
        auto outcome = play({"--for", "6"});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(outcome.out.find("There was an error playing the video.") != std::string::npos, c.exitCode == 1)
            << outcome.out;
        EXPECT_EQ(requests("POST", "/stoffice/drm/fps/").size(), c.keyRequests);
        EXPECT_EQ(requests("DELETE", "/stoffice/session/film-frost-line").size(), 1u);
    }
}

TEST_F(MovraPlayTest, ScriptsReadTheRenditionsWithTheirLanguages) {
    std::vector<std::string> argv = {"--json",
                                     "--drm-certificate",
                                     server_->drmCertificateFile(),
                                     "play",
                                     kFilm,
                                     "--for",
                                     "1",
                                     "--video",
                                     "none",
                                     "--audio",
                                     "none"};
    auto outcome = movra(argv);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    Json tracks;
    for (const auto& line : split(outcome.out, "\n")) {
        if (line.empty()) continue;
        auto event = Json::parse(line, nullptr, /*allow_exceptions=*/false);
        ASSERT_TRUE(event.is_object()) << line;
        if (event.value("event", "") == "tracks") tracks = event;
    }
    ASSERT_TRUE(tracks.is_object()) << outcome.out;
    std::set<std::string> audio, subtitles;
    for (const auto& r : tracks["audio"]) audio.insert(r["language"].get<std::string>());
    for (const auto& r : tracks["subtitles"]) subtitles.insert(r["language"].get<std::string>());
    EXPECT_EQ(audio, (std::set<std::string>{"sv", "en", "fi"}));
    EXPECT_EQ(subtitles, (std::set<std::string>{"sv", "no", "fi", "da", "en"}));
}

}  // namespace
}  // namespace movra::backend

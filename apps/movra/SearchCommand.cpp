#include "movra/SearchCommand.h"

#include "Foundation/Strings.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/TitleProgress.h"
#include "Sections/Search/MVSearchViewController.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

namespace movra::cli {

namespace {

using State = MVSearchViewController::DisplayState;

const char* stateName(State state) {
    static const char* names[] = {"idle", "suggestions", "no results", "results", "failed", "offline", "loading"};
    return names[static_cast<int>(state)];
}

/// What the screen shows: its state, its message or its list.
Json shownObject(const MVSearchViewController& screen) {
    Json json = {{"query", screen.searchText()}, {"state", stateName(screen.state())}};
    if (auto message = screen.message()) json["message"] = *message;
    const auto& list = screen.state() == State::Results ? screen.items() : screen.suggestedItems();
    if (screen.state() == State::Results || screen.state() == State::Suggestions) {
        Json items = Json::array();
        for (const auto& item : list)
            items.push_back({{"guid", item->guid().value_or("")}, {"title", item->title().value_or("")}});
        json["items"] = std::move(items);
    }
    return json;
}

/// A query as a heading shows it: a very long one is cut.
std::string shownQuery(const std::string& query) {
    constexpr std::size_t kShown = 60;
    if (query.size() <= kShown) return "\"" + query + "\"";
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(query[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return "\"" + query.substr(0, cut) + "…\" (" + std::to_string(query.size()) + " bytes)";
}

std::string shownText(const MVSearchViewController& screen, const std::string& indent) {
    if (auto message = screen.message()) return indent + replaceAll(*message, "\n", " ") + "\n";
    if (screen.state() == State::Idle) return indent + "(nothing shown)\n";
    const auto& list = screen.state() == State::Results ? screen.items() : screen.suggestedItems();
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i) {
        text += indent + std::to_string(i + 1) + ". " + list[i]->title().value_or("(untitled)");
        if (auto progress = TitleProgress::forItem(*list[i]); progress && !progress->drawsNothing())
            text += " " + std::to_string(static_cast<int>(progress->fraction() * 100)) + "%";
        text += " [" + list[i]->guid().value_or("?") + "]\n";
    }
    return text;
}

}  // namespace

int SearchCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    auto [menu, failure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    auto searchItem = MVRootMenuEntries::shared()->searchItem();
    if (!menu || !searchItem) {
        printFailure(options, menu ? "The menu has no search entry" : "The menu could not be loaded", failure);
        return 1;
    }
    auto screen = std::make_shared<MVSearchViewController>();
    screen->setSearchItem(searchItem);
    screen->loadViewIfNeeded();
    auto settle = [&] { return session.wait([&] { return !screen->isLoading(); }); };

    if (!suggest) {
        screen->searchBarSearchButtonClicked(text);
        if (!settle()) {
            printFailure(options, "The search did not answer in time");
            return 1;
        }
        printResult(options, shownObject(*screen), "Search " + shownQuery(text) + ":\n" + shownText(*screen, "  "));
        return screen->state() == State::Failed || screen->state() == State::Offline ? 1 : 0;
    }
    // Each character as it is typed; the screen's answer to it before the next.
    Json steps = Json::array();
    std::string out;
    std::string typed;
    for (std::size_t i = 0; i < text.size(); ++i) {
        typed += text[i];
        // A character of several bytes is typed whole.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0xC0)
            while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) typed += text[++i];
        screen->searchBarTextDidChange(typed);
        if (!settle()) {
            printFailure(options, "The suggestions did not answer in time");
            return 1;
        }
        steps.push_back(shownObject(*screen));
        out += shownQuery(typed) + ": " + stateName(screen->state()) + "\n" + shownText(*screen, "  ");
    }
    printResult(options, {{"steps", steps}}, out);
    return 0;
}

}  // namespace movra::cli

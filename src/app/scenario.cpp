#include "app/scenario.h"

#include "app/app_controls.h"
#include "app/run_log_feed.h"
#include "app/scenario_dialogs.h"
#include "app/scenario_output.h"
#include "collection/collection_controls.h"
#include "platform/dialogs.h"
#include "platform/responsive_wait.h"
#include "platform/ui_loop.h"
#include "platform/window_model.h"
#include "relay/relay_controls.h"
#include "sending/sending_controls.h"
#include "web/encoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

namespace dealcast::app {
namespace {

using platform::ControlKind;
using platform::EventArgs;
using platform::EventType;

struct VerbName {
    std::string_view word;
    ScenarioVerb verb;
};

constexpr std::array<VerbName, 14> kVerbs = {{
    {"set", ScenarioVerb::Set},
    {"tick", ScenarioVerb::Tick},
    {"untick", ScenarioVerb::Untick},
    {"select", ScenarioVerb::Select},
    {"click", ScenarioVerb::Click},
    {"dblclick", ScenarioVerb::DoubleClick},
    {"menu", ScenarioVerb::Menu},
    {"answer", ScenarioVerb::Answer},
    {"wait", ScenarioVerb::Wait},
    {"wait-log", ScenarioVerb::WaitLog},
    {"expect", ScenarioVerb::Expect},
    {"expect-row", ScenarioVerb::ExpectRow},
    {"dump", ScenarioVerb::Dump},
    {"close", ScenarioVerb::Close},
}};

// A wait-log looks at the lines that arrived at least this often. The loop offers no way to end a wait early,
// so the wait goes in slices; the lines themselves come from the log box's notifications, never by re-reading it.
constexpr std::int64_t kLogCheckMs = 50;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string quoted(std::string_view text)
{
    return "\"" + escapeScenarioText(text) + "\"";
}

// Words of one script line, then the text that follows them.
class LineReader {
public:
    explicit LineReader(std::string_view line)
        : m_rest(line)
    {
    }

    // The next blank-separated word; empty at the end of the line.
    std::string_view word()
    {
        while (!m_rest.empty() && isBlank(m_rest.front()))
            m_rest.remove_prefix(1);
        std::size_t end = 0;
        while (end < m_rest.size() && !isBlank(m_rest[end]))
            ++end;
        const std::string_view word = m_rest.substr(0, end);
        m_rest.remove_prefix(end);
        return word;
    }

    // Everything after the one blank that ended the last word.
    std::string_view text() const { return m_rest.empty() ? m_rest : m_rest.substr(1); }

    bool onlyBlanksLeft() const { return trimBlanks(m_rest).empty(); }

private:
    std::string_view m_rest;
};

// A decimal number from 0 to `max`, digits only.
template <class T>
std::optional<T> number(std::string_view word, T max)
{
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value > max)
        return std::nullopt;
    return value;
}

std::optional<int> answerCode(std::string_view word)
{
    for (int code = platform::DialogResult::Ok; code <= platform::DialogResult::No; ++code) {
        const std::string_view name = platform::answerName(code);
        if (name.size() == word.size() && std::equal(name.begin(), name.end(), word.begin(), [](char a, char b) {
                const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
                return lower(a) == lower(b);
            }))
            return code;
    }
    return std::nullopt;
}

// One command line into a command; the error text when it is not one.
std::optional<ScenarioCommand> parseCommand(std::string_view line, int lineNumber, std::string& error)
{
    LineReader reader(line);
    const std::string_view word = reader.word();
    const auto known = std::find_if(kVerbs.begin(), kVerbs.end(), [&](const VerbName& v) { return v.word == word; });
    if (known == kVerbs.end()) {
        error = "unknown command " + quoted(word);
        return std::nullopt;
    }
    ScenarioCommand command;
    command.line = lineNumber;
    command.verb = known->verb;
    const std::string verb(word);

    const auto needTarget = [&](const char* what) {
        command.target = reader.word();
        if (command.target.empty())
            error = verb + " needs " + what;
        return !command.target.empty();
    };
    const auto needIndex = [&](int& out, const char* what) {
        const std::string_view w = reader.word();
        const auto value = number<int>(w, std::numeric_limits<int>::max());
        if (!value)
            error =
                w.empty() ? verb + " needs " + what : verb + ": " + what + " " + quoted(w) + " is not a number from 0";
        else
            out = *value;
        return value.has_value();
    };
    const auto nothingMore = [&] {
        if (!reader.onlyBlanksLeft())
            error = "unexpected " + quoted(trimBlanks(reader.text())) + " after " + verb;
        return reader.onlyBlanksLeft();
    };

    switch (command.verb) {
    case ScenarioVerb::Set:
    case ScenarioVerb::Expect:
        if (!needTarget("a control"))
            return std::nullopt;
        command.text = unescapeScenarioText(reader.text());
        return command;
    case ScenarioVerb::Menu:
        if (!needTarget("a list"))
            return std::nullopt;
        command.text = unescapeScenarioText(reader.text());
        if (command.text.empty()) {
            error = "menu needs an item text";
            return std::nullopt;
        }
        return command;
    case ScenarioVerb::Tick:
    case ScenarioVerb::Untick:
    case ScenarioVerb::Click:
    case ScenarioVerb::DoubleClick:
    case ScenarioVerb::Dump:
        if (!needTarget("a control") || !nothingMore())
            return std::nullopt;
        return command;
    case ScenarioVerb::Select:
        if (!needTarget("a control") || !needIndex(command.row, "an index") || !nothingMore())
            return std::nullopt;
        return command;
    case ScenarioVerb::ExpectRow:
        if (!needTarget("a list") || !needIndex(command.row, "a row") || !needIndex(command.column, "a column"))
            return std::nullopt;
        command.text = unescapeScenarioText(reader.text());
        return command;
    case ScenarioVerb::Answer: {
        const std::string_view w = reader.word();
        const auto code = answerCode(w);
        if (!code) {
            error = "answer " + quoted(w) + " is not one of Yes, No, Cancel, OK, Abort, Retry, Ignore";
            return std::nullopt;
        }
        command.answer = *code;
        if (!nothingMore())
            return std::nullopt;
        return command;
    }
    case ScenarioVerb::Wait: {
        const std::string_view w = reader.word();
        const auto ms = number<std::int64_t>(w, std::numeric_limits<std::int64_t>::max());
        if (!ms) {
            error = w.empty() ? "wait needs milliseconds" : "wait: " + quoted(w) + " is not a number of milliseconds";
            return std::nullopt;
        }
        command.ms = *ms;
        if (!nothingMore())
            return std::nullopt;
        return command;
    }
    case ScenarioVerb::WaitLog: {
        std::string_view text = trimBlanks(reader.text());
        std::int64_t seconds = kDefaultWaitLogSeconds;
        if (const std::size_t blank = text.find_last_of(" \t"); blank != std::string_view::npos) {
            const std::string_view last = text.substr(blank + 1);
            if (std::all_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                const auto value = number<std::int64_t>(last, std::numeric_limits<std::int64_t>::max() / 1000);
                if (!value) {
                    error = "wait-log: " + quoted(last) + " seconds is too long";
                    return std::nullopt;
                }
                seconds = *value;
                text = trimBlanks(text.substr(0, blank));
            }
        }
        command.text = unescapeScenarioText(text);
        command.ms = seconds * 1000;
        if (command.text.empty()) {
            error = "wait-log needs a text";
            return std::nullopt;
        }
        if (command.text.find_first_of("\r\n") != std::string::npos) {
            error = "wait-log looks for its text within one line; it cannot hold a line break";
            return std::nullopt;
        }
        return command;
    }
    case ScenarioVerb::Close:
        if (!nothingMore())
            return std::nullopt;
        return command;
    }
    return std::nullopt;
}

std::string_view kindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::EditBox:
        return "an edit box";
    case ControlKind::CheckBox:
        return "a check box";
    case ControlKind::RadioBox:
        return "a radio box";
    case ControlKind::ComboBox:
        return "a combo box";
    case ControlKind::Label:
        return "a label";
    case ControlKind::Button:
        return "a button";
    case ControlKind::PictureBox:
        return "a picture box";
    case ControlKind::ListView:
        return "a list view";
    case ControlKind::PageControl:
        return "a page control";
    case ControlKind::GroupBox:
        return "a group box";
    case ControlKind::Timer:
        return "a timer";
    case ControlKind::PopupMenu:
        return "a popup menu";
    case ControlKind::Browser:
        return "a browser";
    }
    return "a control";
}

std::string valueOf(const platform::Control& control)
{
    switch (control.kind()) {
    case ControlKind::CheckBox:
        return static_cast<const platform::CheckBox&>(control).checked() ? "真" : "假";
    case ControlKind::RadioBox:
        return static_cast<const platform::RadioBox&>(control).checked() ? "真" : "假";
    case ControlKind::ComboBox: {
        const auto current = static_cast<const platform::ComboBox&>(control).current();
        return current ? current->text : std::string();
    }
    case ControlKind::ListView:
        return std::to_string(static_cast<const platform::ListView&>(control).rowCount());
    case ControlKind::PageControl:
        return std::to_string(static_cast<const platform::PageControl&>(control).currentPage());
    case ControlKind::Timer:
        return std::to_string(static_cast<const platform::TimerControl&>(control).interval());
    case ControlKind::EditBox:
        return static_cast<const platform::EditBox&>(control).text();
    default:
        return control.caption();
    }
}

// The run-log lines written since the scenario started that no wait-log has passed over yet.
class LogLines {
public:
    LogLines(platform::WindowModel& model, const platform::EditBox& box)
        : m_feed(model, box, [this](std::string_view line) { add(line); })
    {
    }

    // A new search looks at every line not yet passed over.
    void startSearch()
    {
        std::lock_guard lock(m_mutex);
        m_searched = 0;
    }

    // Finds the first line holding `text` and passes over it and the lines before it. Lines already searched
    // for the same text are not read again.
    bool take(std::string_view text)
    {
        std::lock_guard lock(m_mutex);
        for (; m_searched < m_lines.size(); ++m_searched) {
            if (m_lines[m_searched].find(text) != std::string::npos) {
                m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(m_searched) + 1);
                m_searched = 0;
                return true;
            }
        }
        return false;
    }

private:
    void add(std::string_view line)
    {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(line);
    }

    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    std::size_t m_searched = 0;
    RunLogFeed m_feed;  // last: it stops before the lines go
};

// One run of a scenario, on the UI thread.
class Execution {
public:
    explicit Execution(const ScenarioContext& context)
        : m_context(context)
        , m_loop(context.loop)
        , m_output(context.output)
    {
        if (platform::WindowModel* main = mainWindow()) {
            if (const auto* box = main->find<platform::EditBox>(controls::kRunLog))
                m_log = std::make_unique<LogLines>(*main, *box);
        }
    }

    int runAll(std::span<const ScenarioCommand> commands)
    {
        for (const ScenarioCommand& command : commands) {
            // What is already pending is handled first, as between two actions of a user.
            if (!m_ended && !m_loop.processEventsUntil(m_loop.clock().monotonic()))
                m_ended = true;
            if (m_ended) {
                fail(command, "not run: the program has ended");
                break;
            }
            execute(command);
            if (command.verb == ScenarioVerb::Close)
                break;
        }
        reportUnusedAnswers();
        m_output.writeLine(m_failures == 0 ? "scenario passed"
                                           : "scenario failed: " + std::to_string(m_failures) + " problem(s)");
        return m_failures == 0 ? 0 : 1;
    }

private:
    struct Found {
        platform::WindowModel* window = nullptr;
        platform::Control* control = nullptr;
    };

    void execute(const ScenarioCommand& c)
    {
        switch (c.verb) {
        case ScenarioVerb::Set:
            return set(c);
        case ScenarioVerb::Tick:
            return tick(c, true);
        case ScenarioVerb::Untick:
            return tick(c, false);
        case ScenarioVerb::Select:
            return select(c);
        case ScenarioVerb::Click:
            return click(c);
        case ScenarioVerb::DoubleClick:
            return doubleClick(c);
        case ScenarioVerb::Menu:
            return menu(c);
        case ScenarioVerb::Answer:
            m_context.dialogs.queueAnswer(c.answer);
            m_answers.push_back(c);
            return;
        case ScenarioVerb::Wait:
            if (!m_loop.processEventsUntil(m_loop.clock().deadlineAfter(c.ms)))
                ended(c);
            return;
        case ScenarioVerb::WaitLog:
            return waitLog(c);
        case ScenarioVerb::Expect:
            return expect(c);
        case ScenarioVerb::ExpectRow:
            return expectRow(c);
        case ScenarioVerb::Dump:
            if (const auto f = find(c))
                m_output.writeLine(c.target + " = " + escapeScenarioText(valueOf(*f->control)));
            return;
        case ScenarioVerb::Close:
            return close(c);
        }
    }

    void set(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        switch (f->control->kind()) {
        case ControlKind::EditBox: {
            auto* box = static_cast<platform::EditBox*>(f->control);
            if (!usable(c, *box))
                return;
            if (box->readOnly())
                return fail(c, c.target + " is read-only");
            box->setText(c.text);
            raise(*f, EventType::Changed, {.text = c.text});
            return;
        }
        case ControlKind::ComboBox: {
            auto* combo = static_cast<platform::ComboBox*>(f->control);
            if (!usable(c, *combo))
                return;
            const int index = combo->find(c.text);
            if (index < 0)
                return fail(c, c.target + " has no entry " + quoted(c.text));
            combo->setCurrentIndex(index);
            raise(*f, EventType::ItemChosen, {.index = index, .text = c.text});
            return;
        }
        case ControlKind::Label:
            static_cast<platform::Label*>(f->control)->setText(c.text);
            return;
        default:
            return wrongKind(c, *f->control);
        }
    }

    // As a user's click on the box would: only when it is not in the wanted state already.
    void tick(const ScenarioCommand& c, bool wanted)
    {
        const auto f = find(c);
        if (!f)
            return;
        if (f->control->kind() == ControlKind::CheckBox) {
            auto* box = static_cast<platform::CheckBox*>(f->control);
            if (!usable(c, *box) || box->checked() == wanted)
                return;
            box->setChecked(wanted);
            raise(*f, EventType::Clicked);
        } else if (f->control->kind() == ControlKind::RadioBox) {
            auto* box = static_cast<platform::RadioBox*>(f->control);
            if (!wanted)
                return fail(c, "a radio box is unticked by ticking another one of its group");
            if (!usable(c, *box) || box->checked())
                return;
            box->setChecked(true);
            raise(*f, EventType::Clicked);
        } else {
            wrongKind(c, *f->control);
        }
    }

    void select(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        const int index = c.row;
        switch (f->control->kind()) {
        case ControlKind::ComboBox: {
            auto* combo = static_cast<platform::ComboBox*>(f->control);
            if (!usable(c, *combo))
                return;
            if (!combo->setCurrentIndex(index))
                return outOfRange(c, "entry", index, combo->count());
            const auto entry = combo->entry(index);
            raise(*f, EventType::ItemChosen, {.index = index, .text = entry ? entry->text : std::string()});
            return;
        }
        case ControlKind::PageControl: {
            auto* pages = static_cast<platform::PageControl*>(f->control);
            if (!usable(c, *pages))
                return;
            if (!pages->setCurrentPage(index))
                return outOfRange(c, "page", index, pages->pageCount());
            raise(*f, EventType::Changed, {.index = index});
            return;
        }
        case ControlKind::ListView: {
            auto* list = static_cast<platform::ListView*>(f->control);
            if (!usable(c, *list))
                return;
            // A click on a row makes it the current and only highlighted one, in one step.
            const bool done = list->withRows([&](platform::ListView::Rows& rows) {
                if (index >= rows.count())
                    return false;
                for (int r = 0; r < rows.count(); ++r)
                    rows.setHighlighted(r, r == index);
                return rows.setCurrentRow(index);
            });
            if (!done)
                return outOfRange(c, "row", index, list->rowCount());
            raise(*f, EventType::ItemChosen, {.index = index});
            return;
        }
        default:
            return wrongKind(c, *f->control);
        }
    }

    void click(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        platform::Control& control = *f->control;
        if (control.kind() == ControlKind::Timer || control.kind() == ControlKind::PopupMenu)
            return wrongKind(c, control);
        if (!usable(c, control))
            return;
        EventArgs args;
        if (control.kind() == ControlKind::CheckBox) {
            auto& box = static_cast<platform::CheckBox&>(control);
            box.setChecked(!box.checked());
        } else if (control.kind() == ControlKind::RadioBox) {
            static_cast<platform::RadioBox&>(control).setChecked(true);
        } else if (control.kind() == ControlKind::ListView) {
            args.index = static_cast<platform::ListView&>(control).currentRow();
        }
        raise(*f, EventType::Clicked, std::move(args));
    }

    void doubleClick(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        platform::Control& control = *f->control;
        if (control.kind() == ControlKind::Timer || control.kind() == ControlKind::PopupMenu)
            return wrongKind(c, control);
        if (!usable(c, control))
            return;
        EventArgs args;
        if (control.kind() == ControlKind::ListView) {
            args.index = static_cast<platform::ListView&>(control).currentRow();
            if (args.index < 0)
                return fail(c, c.target + " has no current row; select one first");
        }
        raise(*f, EventType::DoubleClick, std::move(args));
    }

    void menu(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        auto* menu =
            f->control->kind() == ControlKind::PopupMenu ? static_cast<platform::PopupMenu*>(f->control) : nullptr;
        if (f->control->kind() == ControlKind::ListView) {
            const auto tables = listMenus();
            const auto pair = std::find_if(tables.begin(), tables.end(),
                                           [&](const ListMenu& m) { return m.list == f->control->name(); });
            if (pair == tables.end())
                return fail(c, c.target + " has no popup menu");
            menu = f->window->find<platform::PopupMenu>(pair->menu);
            if (menu == nullptr)
                return fail(c, "the popup menu " + quoted(pair->menu) + " of " + c.target + " is missing");
        }
        if (menu == nullptr)
            return wrongKind(c, *f->control);
        if (!usable(c, *f->control) || !usable(c, *menu))
            return;
        const auto items = menu->items();
        const auto item = std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.text == c.text; });
        if (item == items.end()) {
            std::string names;
            for (const auto& i : items)
                names += (names.empty() ? "" : ", ") + quoted(i.text);
            return fail(c, quoted(menu->name()) + " has no item " + quoted(c.text) + " (its items: " + names + ")");
        }
        if (!item->enabled)
            return fail(c, "the menu item " + quoted(c.text) + " is disabled");
        const int index = static_cast<int>(item - items.begin());
        f->window->raise(menu->name(), EventType::MenuItem, {.index = index, .text = c.text});
    }

    void waitLog(const ScenarioCommand& c)
    {
        if (!m_log)
            return fail(c, "the main window has no run log " + quoted(controls::kRunLog));
        const platform::Clock& clock = m_loop.clock();
        const auto deadline = clock.deadlineAfter(c.ms);
        m_log->startSearch();
        for (;;) {
            if (m_log->take(c.text))
                return;
            const auto now = clock.monotonic();
            if (now >= deadline)
                return fail(c, "wait-log " + quoted(c.text) + ": no such line within " + std::to_string(c.ms / 1000) +
                                   " s");
            if (!m_loop.processEventsUntil(std::min(deadline, platform::Clock::later(now, kLogCheckMs))))
                return ended(c);
        }
    }

    void expect(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        const std::string actual = valueOf(*f->control);
        if (actual != c.text)
            fail(c, "expect " + c.target + ": wanted " + quoted(c.text) + ", got " + quoted(actual));
    }

    void expectRow(const ScenarioCommand& c)
    {
        const auto f = find(c);
        if (!f)
            return;
        if (f->control->kind() != ControlKind::ListView)
            return wrongKind(c, *f->control);
        const auto& list = *static_cast<platform::ListView*>(f->control);
        const auto cells = list.row(c.row);
        if (!cells)
            return outOfRange(c, "row", c.row, list.rowCount());
        const int columns = std::max(list.columnCount(), static_cast<int>(cells->size()));
        if (c.column >= columns)
            return outOfRange(c, "column", c.column, columns);
        const std::string actual =
            c.column < static_cast<int>(cells->size()) ? (*cells)[static_cast<std::size_t>(c.column)] : std::string();
        if (actual != c.text)
            fail(c, "expect-row " + c.target + " " + std::to_string(c.row) + " " + std::to_string(c.column) +
                        ": wanted " + quoted(c.text) + ", got " + quoted(actual));
    }

    // The close request of the main window, as its close button makes it.
    void close(const ScenarioCommand& c)
    {
        platform::WindowModel* main = mainWindow();
        if (main == nullptr)
            return fail(c, "there is no main window to close");
        if (!main->raise(controls::kCloseButton, EventType::Clicked))
            fail(c, "the close button " + quoted(controls::kCloseButton) + " has no handler");
    }

    // Answers are taken in the order they were queued, so those left are the last ones queued.
    void reportUnusedAnswers()
    {
        const std::size_t left = std::min(m_context.dialogs.pendingAnswers().size(), m_answers.size());
        for (std::size_t i = m_answers.size() - left; i < m_answers.size(); ++i) {
            const ScenarioCommand& c = m_answers[i];
            fail(c, "answer " + std::string(platform::answerName(c.answer)) + ": no notice or question took it");
        }
        if (left > 0)
            m_context.dialogs.clearAnswers();
    }

    platform::WindowModel* mainWindow() const
    {
        const auto it = m_context.windows.find(std::string_view());
        return it != m_context.windows.end() ? it->second : nullptr;
    }

    platform::WindowModel* windowNamed(std::string_view name) const
    {
        if (const auto it = m_context.windows.find(name); it != m_context.windows.end() && it->second != nullptr)
            return it->second;
        platform::WindowModel* main = mainWindow();
        return main != nullptr && !name.empty() && main->title() == name ? main : nullptr;
    }

    std::optional<Found> find(const ScenarioCommand& c)
    {
        std::string_view window;
        std::string_view name = c.target;
        if (const std::size_t slash = name.find('/'); slash != std::string_view::npos) {
            window = name.substr(0, slash);
            name.remove_prefix(slash + 1);
        }
        Found found;
        found.window = windowNamed(window);
        if (found.window == nullptr) {
            fail(c, window.empty() ? "there is no main window" : "unknown window " + quoted(window));
            return std::nullopt;
        }
        found.control = found.window->find(name);
        if (found.control == nullptr) {
            fail(c, "unknown control " + quoted(c.target));
            return std::nullopt;
        }
        return found;
    }

    // A user can act only on a control that is enabled, and so is everything that holds it.
    bool usable(const ScenarioCommand& c, const platform::Control& control)
    {
        if (control.effectivelyEnabled())
            return true;
        fail(c, quoted(control.name()) + " is disabled");
        return false;
    }

    void raise(const Found& f, EventType type, EventArgs args = {})
    {
        f.window->raise(f.control->name(), type, std::move(args));
    }

    void wrongKind(const ScenarioCommand& c, const platform::Control& control)
    {
        fail(c, std::string(scenarioVerbName(c.verb)) + " does not apply to " + c.target + ", " +
                    std::string(kindName(control.kind())));
    }

    void outOfRange(const ScenarioCommand& c, const char* what, int index, int count)
    {
        fail(c, c.target + " has no " + what + " " + std::to_string(index) + " (it has " + std::to_string(count) + ")");
    }

    void ended(const ScenarioCommand& c)
    {
        m_ended = true;
        fail(c, "the program ended during this command");
    }

    void fail(const ScenarioCommand& c, const std::string& message)
    {
        ++m_failures;
        m_output.writeLine(formatScenarioError({c.line, message}));
    }

    const ScenarioContext& m_context;
    platform::UiLoop& m_loop;
    ScenarioOutput& m_output;
    std::unique_ptr<LogLines> m_log;
    std::vector<ScenarioCommand> m_answers;  // the answer commands, in order
    int m_failures = 0;
    bool m_ended = false;
};

}  // namespace

ParsedScenario parseScenario(std::string_view script)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (script.starts_with(kByteOrderMark))
        script.remove_prefix(kByteOrderMark.size());

    ParsedScenario parsed;
    bool closed = false;
    int lineNumber = 0;
    while (!script.empty()) {
        const std::size_t end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);

        const std::string_view content = trimBlanks(line);
        if (content.empty() || content.front() == '#')
            continue;
        if (!web::isValidUtf8(line)) {
            parsed.errors.push_back({lineNumber, "the line is not UTF-8 text"});
            continue;
        }
        if (closed) {
            parsed.errors.push_back({lineNumber, "nothing may follow close"});
            continue;
        }
        std::string error;
        if (auto command = parseCommand(line, lineNumber, error)) {
            closed = command->verb == ScenarioVerb::Close;
            parsed.commands.push_back(std::move(*command));
        } else {
            parsed.errors.push_back({lineNumber, std::move(error)});
        }
    }
    return parsed;
}

std::string formatScenarioError(const ScenarioError& error)
{
    return "line " + std::to_string(error.line) + ": " + error.message;
}

std::string unescapeScenarioText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] != '\\' || (next != 'n' && next != 'r' && next != 't' && next != '\\')) {
            out += text[i];
            continue;
        }
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : '\\';
        ++i;
    }
    return out;
}

std::string escapeScenarioText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string_view scenarioVerbName(ScenarioVerb verb)
{
    for (const VerbName& v : kVerbs) {
        if (v.verb == verb)
            return v.word;
    }
    return "?";
}

std::span<const ListMenu> listMenus()
{
    namespace collecting = collection::controls;
    namespace relaying = relay::controls;
    namespace queueing = sending::controls;
    static constexpr std::array<ListMenu, 6> kTable = {{
        {collecting::kCollectionList, collecting::kCollectionMenu},
        {collecting::kBigDataList, collecting::kBigDataMenu},
        {relaying::kMonitorList, relaying::kMonitorMenu},
        {queueing::kSentList, queueing::kSentMenu},
        {queueing::kGroupLinks, relaying::kGroupLinkMenu},
        {queueing::kQueue, queueing::kQueueMenu},
    }};
    return kTable;
}

ScenarioRunner::ScenarioRunner(ScenarioContext context)
    : m_context(std::move(context))
{
}

int ScenarioRunner::run(std::span<const ScenarioCommand> commands)
{
    platform::UiLoop& loop = m_context.loop;
    if (!loop.isUiThread()) {
        m_context.output.writeLine("scenario not run: it runs on the UI thread only");
        return 1;
    }
    // Handlers the scenario raises wait responsively even when the loop is not running yet.
    const platform::WaitContextScope scope({&loop.clock(), &loop, nullptr});
    Execution execution(m_context);
    return execution.runAll(commands);
}

int ScenarioRunner::runScript(std::string_view script)
{
    const ParsedScenario parsed = parseScenario(script);
    if (parsed.errors.empty())
        return run(parsed.commands);
    for (const ScenarioError& error : parsed.errors)
        m_context.output.writeLine(formatScenarioError(error));
    m_context.output.writeLine("scenario not run: " + std::to_string(parsed.errors.size()) + " error(s) in the script");
    return 1;
}

}  // namespace dealcast::app

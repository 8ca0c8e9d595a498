#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::platform {
class UiLoop;
class WindowModel;
}  // namespace dealcast::platform

namespace dealcast::app {

class ScenarioDialogs;
class ScenarioOutput;

// A scenario drives window models as a user would, so that a run without a display (and the desktop program
// in its headless mode) can be scripted and checked. One command per line:
//
//   set CONTROL TEXT          tick CONTROL          untick CONTROL        select CONTROL INDEX
//   click CONTROL             dblclick CONTROL      menu LIST ITEM-TEXT   answer Yes|No|Cancel|OK
//   wait MS                   wait-log TEXT [SECONDS]                     close
//   expect CONTROL TEXT       expect-row LIST ROW COL TEXT                dump CONTROL
//
// - Words are separated by blanks; TEXT is the rest of the line after the one blank that ends the word before
//   it, so it may hold blanks (leading and trailing ones too), "#", or be empty. In texts "\n", "\r", "\t" and
//   "\\" stand for a line feed, a carriage return, a tab and a backslash; any other backslash stays as written.
// - A line whose first non-blank character is "#" is a comment; blank lines are ignored; "\r\n" line ends and a
//   leading byte-order mark are accepted.
// - CONTROL names a control of the main window, or of another window as "WINDOW/CONTROL".
// - wait-log waits for a line of the run log that contains TEXT (trimmed of blanks at both ends), for SECONDS
//   of clock time (30 when not given). A last word made of digits is taken as SECONDS, so a text that ends in a
//   number needs the seconds written out. It looks at lines written since the scenario started, after the line
//   that satisfied the previous wait-log: waiting twice for the same text waits for two lines.
// - INDEX, ROW and COL count from 0. answer also takes Abort, Retry and Ignore, in any letter case.
// - close must be the last command.
enum class ScenarioVerb {
    Set,
    Tick,
    Untick,
    Select,
    Click,
    DoubleClick,
    Menu,
    Answer,
    Wait,
    WaitLog,
    Expect,
    ExpectRow,
    Dump,
    Close,
};

struct ScenarioCommand {
    int line = 0;  // 1-based line of the script
    ScenarioVerb verb = ScenarioVerb::Click;
    std::string target{};  // CONTROL or LIST as written, window prefix included
    std::string text{};    // TEXT or ITEM-TEXT, escapes resolved
    int row = -1;          // select: INDEX; expect-row: ROW
    int column = -1;       // expect-row: COL
    std::int64_t ms = 0;   // wait: MS; wait-log: SECONDS in milliseconds
    int answer = -1;       // answer: a platform::DialogResult code
};

struct ScenarioError {
    int line = 0;
    std::string message{};
};

struct ParsedScenario {
    std::vector<ScenarioCommand> commands{};
    // Every faulty line; a scenario with any of them is not run.
    std::vector<ScenarioError> errors{};
};

ParsedScenario parseScenario(std::string_view script);

// "line 12: unknown command \"clik\"".
std::string formatScenarioError(const ScenarioError& error);

// The escapes of scenario texts both ways; escaping a value and reading it back gives the value.
std::string unescapeScenarioText(std::string_view text);
std::string escapeScenarioText(std::string_view text);

// The command's word, as scripts write it.
std::string_view scenarioVerbName(ScenarioVerb verb);

// The popup menu that belongs to each list view.
struct ListMenu {
    std::string_view list;
    std::string_view menu;
};
std::span<const ListMenu> listMenus();

inline constexpr std::int64_t kDefaultWaitLogSeconds = 30;

// What a scenario acts on. Everything outlives the runner.
struct ScenarioContext {
    // Window models by name; "" is the main window, which its title names too.
    std::map<std::string, platform::WindowModel*, std::less<>> windows;
    platform::UiLoop& loop;
    ScenarioOutput& output;
    ScenarioDialogs& dialogs;
};

// Runs scenarios on the UI thread, as a user at the window would act: every event is raised there, and while
// a command waits the loop goes on running posted work, timers and other events. It may run as a task inside
// the loop's run() or on the UI thread before the loop runs; it never quits the loop itself.
//
// It prints to the output: "CONTROL = value" for dump, "line N: ..." for every command that failed (an expect
// that did not hold, a wait-log that timed out, an unknown window or control, a control of the wrong kind, a
// disabled one, an index out of range), and a last line "scenario passed" or "scenario failed: N problem(s)".
// A failed command does not stop the others; the program ending (the loop asked to quit) does.
//
// Values as expect and dump read them: a check box or radio box "真" or "假", a combo box its current entry's
// text, a list view its row count, a page control its current page, a timer its period in ms, an edit box its
// text, anything else its caption (a button's, a label's text).
class ScenarioRunner {
public:
    explicit ScenarioRunner(ScenarioContext context);

    // UI thread only (elsewhere it prints why it did not run). 0 when every command worked and every check
    // held, else 1.
    int run(std::span<const ScenarioCommand> commands);
    // Parses and runs a script; one that does not parse is not run at all: its errors are printed and 1 returned.
    int runScript(std::string_view script);

private:
    ScenarioContext m_context;
};

}  // namespace dealcast::app

#pragma once

#include "platform/dialogs.h"

#include <map>
#include <mutex>
#include <ostream>
#include <string>

namespace dealcast::platform {

// Dialogs for headless runs: each notice, question or file request becomes one line on the given stream,
// and the answer comes from configuration, never from stdin, so a run is deterministic and never blocks.
// Every button set answers its first button (OK for a plain notice) until told otherwise.
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(std::ostream& out);

    // The answer to every dialog with this button set; false (and nothing changes) when the set does not
    // offer it.
    bool setAnswer(DialogButtons buttons, int answer);
    // What openFile() answers; empty (the default) is a cancel.
    void setOpenFileAnswer(std::string path);

    std::string openFile(std::string_view caption, std::string_view filter) override;

protected:
    int show(const DialogRequest& request) override;

private:
    std::mutex m_mutex;  // workers show notices too; keeps their lines whole
    std::ostream& m_out;
    std::map<DialogButtons, int> m_answers;
    std::string m_openFileAnswer;
};

}  // namespace dealcast::platform

#include "app/scenario_output.h"

namespace dealcast::app {

ScenarioOutput::ScenarioOutput(std::ostream& out)
    : m_out(out)
{
}

void ScenarioOutput::writeLine(std::string_view line)
{
    std::lock_guard lock(m_mutex);
    m_out << line << '\n';
    m_out.flush();
}

}  // namespace dealcast::app

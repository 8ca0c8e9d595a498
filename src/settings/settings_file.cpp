#include "settings/settings_file.h"

#include "platform/window_model.h"
#include "settings/password_cipher.h"

namespace dealcast::settings {

using platform::ControlKind;

SettingsFile::SettingsFile(platform::WindowModel& window, std::filesystem::path path)
    : m_window(window)
    , m_path(std::move(path))
    , m_ini(IniFile::load(m_path))
{
}

std::string_view SettingsFile::sectionOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::EditBox:
        return kEditBoxSection;
    case ControlKind::CheckBox:
        return kCheckBoxSection;
    case ControlKind::RadioBox:
        return kRadioBoxSection;
    default:
        return {};
    }
}

void SettingsFile::saveControls(ControlKind kind, std::string_view excludedText)
{
    const std::string_view section = sectionOf(kind);
    if (section.empty())
        return;
    for (platform::Control* control : m_window.controls(kind)) {
        const std::string& name = control->name();
        if (excludedText.find(name) != std::string_view::npos)
            continue;
        switch (kind) {
        case ControlKind::EditBox:
            m_ini.setValue(section, name, static_cast<platform::EditBox*>(control)->text());
            break;
        case ControlKind::CheckBox:
            m_ini.setValue(section, name, static_cast<platform::CheckBox*>(control)->checked() ? kChecked : kUnchecked);
            break;
        case ControlKind::RadioBox:
            m_ini.setValue(section, name, static_cast<platform::RadioBox*>(control)->checked() ? kChecked : kUnchecked);
            break;
        default:
            break;
        }
    }
}

void SettingsFile::saveEnciphered(std::string_view editBoxName)
{
    if (const auto* box = m_window.find<platform::EditBox>(editBoxName))
        m_ini.setValue(kEditBoxSection, editBoxName,
                       PasswordCipher::encipher(box->text(), PasswordCipher::kSettingsKey));
}

bool SettingsFile::write() const
{
    return m_ini.save(m_path);
}

void SettingsFile::restoreControls(ControlKind kind)
{
    const std::string_view section = sectionOf(kind);
    if (section.empty())
        return;
    for (platform::Control* control : m_window.controls(kind)) {
        const std::string value = m_ini.value(section, control->name());
        if (value.empty())
            continue;
        switch (kind) {
        case ControlKind::EditBox:
            static_cast<platform::EditBox*>(control)->setText(decodeLineBreaks(value));
            break;
        case ControlKind::CheckBox:
            static_cast<platform::CheckBox*>(control)->setChecked(value != kUnchecked);
            break;
        case ControlKind::RadioBox:
            static_cast<platform::RadioBox*>(control)->setChecked(value != kUnchecked);
            break;
        default:
            break;
        }
    }
}

void SettingsFile::decipherInPlace(std::string_view editBoxName)
{
    if (auto* box = m_window.find<platform::EditBox>(editBoxName))
        box->setText(PasswordCipher::decipher(box->text(), PasswordCipher::kSettingsKey));
}

bool SettingsFile::saveControlStates()
{
    saveControls(ControlKind::EditBox, kUnsavedEditBoxes);
    saveEnciphered(kAccountBox);
    saveEnciphered(kPasswordBox);
    saveControls(ControlKind::RadioBox);
    saveControls(ControlKind::CheckBox, kUnsavedCheckBoxes);
    return write();
}

void SettingsFile::restoreControlStates()
{
    restoreControls(ControlKind::RadioBox);
    restoreControls(ControlKind::EditBox);
    restoreControls(ControlKind::CheckBox);
    decipherInPlace(kAccountBox);
    decipherInPlace(kPasswordBox);
}

}  // namespace dealcast::settings

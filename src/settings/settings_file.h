#pragma once

#include "platform/control.h"
#include "settings/ini_file.h"

#include <filesystem>
#include <string_view>

namespace dealcast::platform {
class WindowModel;
}

namespace dealcast::settings {

// "setsoft.ini": the saved states of the main window's edit, check and radio boxes, one section per kind and
// one key per control, the key being the control's name. The control names are therefore part of the file's
// format.
//
// The file is read once when the object is made; saves stage values in memory and write() puts the whole
// file in place in one atomic replacement, so a failed write leaves the previous file as it was. Keys the
// window no longer has are kept.
class SettingsFile {
public:
    static constexpr std::string_view kEditBoxSection = "编辑框";
    static constexpr std::string_view kCheckBoxSection = "选择框";
    static constexpr std::string_view kRadioBoxSection = "单选框";

    static constexpr std::string_view kChecked = "真";
    static constexpr std::string_view kUnchecked = "假";

    // Controls are left out of the file when their name occurs anywhere inside these texts. The log, the
    // copy text and the duplicate store are rebuilt every run; the robot path is set at every start; the
    // account and password go in enciphered instead.
    static constexpr std::string_view kUnsavedEditBoxes = "编辑框_文案|编辑框_运行日志|编辑框_阿里妈妈账号|"
                                                          "编辑框_阿里妈妈密码|编辑框_过滤重复|编辑框_机器人目录|"
                                                          "编辑框_申请文案";
    static constexpr std::string_view kUnsavedCheckBoxes = "选择框_自动跟发|选择框_全选_采集|选择框_全选_大数据|"
                                                           "选择框_全选_监控";

    // Edit boxes stored under PasswordCipher with PasswordCipher::kSettingsKey.
    static constexpr std::string_view kAccountBox = "编辑框_阿里妈妈账号";
    static constexpr std::string_view kPasswordBox = "编辑框_阿里妈妈密码";

    SettingsFile(platform::WindowModel& window, std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // The section of a kind; empty for kinds the file does not hold.
    static std::string_view sectionOf(platform::ControlKind kind);

    // Stages the state of every control of `kind` in the window (pages and group boxes included) whose name
    // does not occur in `excludedText`: an edit box's text with its line breaks as "><br><", a check or
    // radio box as kChecked or kUnchecked.
    void saveControls(platform::ControlKind kind, std::string_view excludedText = {});
    // Stages the named edit box's text enciphered.
    void saveEnciphered(std::string_view editBoxName);
    // Writes every staged value; false when the file could not be replaced.
    bool write() const;

    // Gives every control of `kind` its stored state. A missing or empty value leaves the control as
    // designed; an edit box gets the value with "><br><" back as "\r\n"; a check or radio box is checked
    // unless the value is exactly kUnchecked.
    void restoreControls(platform::ControlKind kind);
    // Replaces the named edit box's text by its decipherment; text that is not a valid encipherment leaves
    // the box empty.
    void decipherInPlace(std::string_view editBoxName);

    // The whole save, staged in this order: edit boxes, the enciphered account and password, radio boxes,
    // check boxes; then one write.
    bool saveControlStates();
    // The whole restore: radio boxes, edit boxes, check boxes, then the account and password deciphered.
    void restoreControlStates();

private:
    platform::WindowModel& m_window;
    std::filesystem::path m_path;
    IniFile m_ini;
};

}  // namespace dealcast::settings

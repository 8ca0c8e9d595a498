#include "platform/window_model.h"
#include "settings/settings_file.h"
#include "settings/text_file.h"
#include "support/fixtures.h"
#include "web/encoding.h"

#include <gtest/gtest.h>
#include <vector>

namespace dealcast::settings {
namespace {

using platform::ControlDecl;
using platform::ControlKind;

// A few controls of each kind, among them one of each that is never saved.
std::unique_ptr<platform::WindowModel> smallWindow()
{
    const std::vector<ControlDecl> decls = {
        {.name = "编辑框_模板", .kind = ControlKind::EditBox, .value = "默认模板", .flags = platform::kMultiLine},
        {.name = "编辑框_运行日志", .kind = ControlKind::EditBox},
        {.name = std::string(SettingsFile::kAccountBox), .kind = ControlKind::EditBox},
        {.name = std::string(SettingsFile::kPasswordBox), .kind = ControlKind::EditBox},
        {.name = "选择框_甲", .kind = ControlKind::CheckBox, .value = "1"},
        {.name = "选择框_乙", .kind = ControlKind::CheckBox},
        {.name = "选择框_自动跟发", .kind = ControlKind::CheckBox},
        {.name = "单选框_一", .kind = ControlKind::RadioBox, .value = "1", .group = "g"},
        {.name = "单选框_二", .kind = ControlKind::RadioBox, .group = "g"},
    };
    auto window = std::make_unique<platform::WindowModel>("test", 100, 100);
    EXPECT_TRUE(window->addAll(decls));
    return window;
}

std::string gbkFile(std::string_view utf8)
{
    return web::utf8ToGbk(utf8);
}

TEST(SettingsFile, SavesEachKindInItsSectionInOneGbkWriteKeepingUnknownKeys)
{
    test::TempDir dir;
    const auto path = dir.path() / "data" / "setsoft.ini";
    ASSERT_TRUE(writeFileAtomically(path, gbkFile("[编辑框]\r\n编辑框_模板=旧\r\n编辑框_旧控件=保留\r\n")));

    auto window = smallWindow();
    window->find<platform::EditBox>("编辑框_模板")->setText("第一行\r\n第二行");
    window->find<platform::EditBox>("编辑框_运行日志")->setText("[08:00:00] >>>> 日志\r\n");
    window->find<platform::EditBox>(SettingsFile::kAccountBox)->setText("admin");
    window->find<platform::CheckBox>("选择框_甲")->setChecked(false);
    window->find<platform::CheckBox>("选择框_乙")->setChecked(true);
    window->find<platform::CheckBox>("选择框_自动跟发")->setChecked(true);
    window->find<platform::RadioBox>("单选框_二")->setChecked(true);

    SettingsFile file(*window, path);
    ASSERT_TRUE(file.saveControlStates());

    EXPECT_EQ(test::readFileBytes(path), gbkFile("[编辑框]\r\n"
                                                 "编辑框_模板=第一行><br><第二行\r\n"
                                                 "编辑框_旧控件=保留\r\n"
                                                 "编辑框_阿里妈妈账号=D7EC28C16AAC5FB2\r\n"
                                                 "编辑框_阿里妈妈密码=\r\n"
                                                 "[单选框]\r\n"
                                                 "单选框_一=假\r\n"
                                                 "单选框_二=真\r\n"
                                                 "[选择框]\r\n"
                                                 "选择框_甲=假\r\n"
                                                 "选择框_乙=真\r\n"));
}

TEST(SettingsFile, RestoresStatesByTheirStoredText)
{
    struct Case {
        const char* stored;  // nullptr: no key at all
        bool designedOn;     // "选择框_甲" is designed checked
        bool designedOff;    // "选择框_乙" is designed unchecked
    };
    const Case cases[] = {
        {"真", true, true},     {"假", false, false},
        {"1", true, true},      {"false", true, true},  // any text but "假" checks
        {"", true, false},                              // an empty value keeps the design
        {nullptr, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        test::TempDir dir;
        const auto path = dir.path() / "setsoft.ini";
        std::string text = "[选择框]\r\n";
        if (c.stored != nullptr)
            text += std::string("选择框_甲=") + c.stored + "\r\n选择框_乙=" + c.stored + "\r\n";
        ASSERT_TRUE(writeFileAtomically(path, gbkFile(text)));

        auto window = smallWindow();
        SettingsFile(*window, path).restoreControlStates();
        EXPECT_EQ(window->find<platform::CheckBox>("选择框_甲")->checked(), c.designedOn);
        EXPECT_EQ(window->find<platform::CheckBox>("选择框_乙")->checked(), c.designedOff);
    }
}

TEST(SettingsFile, RestoresTextsAndRadioBoxesAndDeciphersTheCredentials)
{
    test::TempDir dir;
    const auto path = dir.path() / "setsoft.ini";
    ASSERT_TRUE(writeFileAtomically(path, gbkFile("[编辑框]\r\n"
                                                  "编辑框_模板=第一行><br><第二行><br><\r\n"
                                                  "编辑框_阿里妈妈账号=D7EC28C16AAC5FB2\r\n"
                                                  "编辑框_阿里妈妈密码=D7EC28C16AAC5FB\r\n"  // odd length
                                                  "[单选框]\r\n单选框_一=假\r\n单选框_二=真\r\n")));
    auto window = smallWindow();
    window->find<platform::EditBox>(SettingsFile::kPasswordBox)->setText("typed before the restore");
    SettingsFile(*window, path).restoreControlStates();

    EXPECT_EQ(window->find<platform::EditBox>("编辑框_模板")->text(), "第一行\r\n第二行\r\n");
    EXPECT_EQ(window->find<platform::EditBox>(SettingsFile::kAccountBox)->text(), "admin");
    EXPECT_EQ(window->find<platform::EditBox>(SettingsFile::kPasswordBox)->text(), "");
    EXPECT_FALSE(window->find<platform::RadioBox>("单选框_一")->checked());
    EXPECT_TRUE(window->find<platform::RadioBox>("单选框_二")->checked());

    // Without a file every control keeps its design.
    auto fresh = smallWindow();
    SettingsFile(*fresh, dir.path() / "missing.ini").restoreControlStates();
    EXPECT_EQ(fresh->find<platform::EditBox>("编辑框_模板")->text(), "默认模板");
    EXPECT_TRUE(fresh->find<platform::RadioBox>("单选框_一")->checked());
}

}  // namespace
}  // namespace dealcast::settings

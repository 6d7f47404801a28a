// A further language in the window: listed after the three by its own name,
// chosen from the menu, English where its file has no caption, kept in
// dev.ini by its code.
#include <gtest/gtest.h>

#include <QMenu>

#include "gui_rig.h"
#include "support/fixture_languages.h"

namespace tq::testing {
namespace {

TEST(FurtherLanguage, ListedAfterTheThreeChosenFromTheMenuAndKeptByItsCode) {
    const ScopedLanguages languages(LanguagesOf(FixtureLanguageFolder()));
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    QStringList items;
    for (QAction* item : rig.window->findChild<QMenu*>("Menu_Language")->actions()) items << item->text();
    EXPECT_EQ(items, QStringList({"简体中文", "繁体中文", "English", "Deutsch", "Português (Brasil)", "Русский"}));

    rig.Trigger("Menu_Settings_Lang_de");
    EXPECT_TRUE(rig.window->action("Menu_Settings_Lang_de")->isChecked());
    EXPECT_FALSE(rig.window->action("Menu_Settings_Lang_CN")->isChecked());
    EXPECT_EQ(rig.window->findChild<QMenu*>("Menu_File")->title(), "Datei(&F)");
    EXPECT_EQ(rig.window->action("MenuBufferFill")->text(), "Fill(&I)");  // EN.ini's
    EXPECT_EQ(rig.window->action("Menu_Settings_Lang_EN")->text(), "Englisch");
    EXPECT_TRUE(rig.window->close());
    const std::string settings = rig.folder.ReadGbk("dev.ini");
    EXPECT_NE(settings.find("Language= 2"), std::string::npos) << settings;
    EXPECT_NE(settings.find("LanguageCode=de"), std::string::npos) << settings;
}

}  // namespace
}  // namespace tq::testing

// A further language in the window: listed after the three by its own name,
// chosen from the menu, English where its file has no caption, kept in
// dev.ini by its code.
#include <gtest/gtest.h>

#include <QMenu>

#include "gui/command_line.h"
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

TEST(FurtherLanguage, LangTakesACodeOfAnInstalledLanguage) {
    const ScopedLanguages languages(LanguagesOf(FixtureLanguageFolder()));  // de 3, pt-BR 4, ru 5
    struct Case {
        QStringList arguments;
        std::optional<int32_t> language;  // empty: refused
    };
    const Case cases[] = {
        {{"tqprog", "--lang", "pt_BR"}, 4}, {{"tqprog", "--lang=de"}, 3}, {{"tqprog", "--lang", "1"}, 1},
        {{"tqprog", "--lang", "en"}, 2},    {{"tqprog", "--lang", "xx"}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QString error;
        int exitCode = 0;
        const std::optional<gui::GuiOptions> options = gui::ParseCommandLine(c.arguments, error, exitCode);
        ASSERT_EQ(options.has_value(), c.language.has_value()) << error.toStdString();
        if (options) {
            EXPECT_EQ(options->frontEnd.language, c.language);
        } else {
            EXPECT_EQ(exitCode, 2);
            EXPECT_TRUE(error.endsWith("de, pt-BR, ru")) << error.toStdString();
        }
    }
}

}  // namespace
}  // namespace tq::testing

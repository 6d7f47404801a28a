#include "core/app/language_menu.h"

#include "core/operations/operation_context.h"
#include "core/buffer/caption_text.h"
#include "core/texts/status_line.h"
#include "core/chipdb/chip_database.h"
#include "core/device/commands.h"
#include "core/texts/text_catalogue.h"

namespace tq {

std::vector<LanguageMenuEntry> LanguageMenuEntries(int32_t current) {
    std::vector<LanguageMenuEntry> entries{
        {"Menu_Settings_Lang_CN", Text(current, TextId::LanguageSimplifiedChinese), 0},
        {"Menu_Settings_Lang_TC", Text(current, TextId::LanguageTraditionalChinese), 1},
        {"Menu_Settings_Lang_EN", Text(current, TextId::LanguageEnglish), 2}};
    if (const std::shared_ptr<const LanguageSet> languages = InstalledLanguages())
        for (const FurtherLanguage& language : languages->languages())
            entries.push_back({"Menu_Settings_Lang_" + language.code, language.name, *languages->ValueOf(language.code)});
    return entries;
}

LanguageApplied LoadLanguage(OperationContext& context) {
    LanguageApplied applied;
    applied.menuChecks.resize(LanguageMenuEntries(context.Texts.Language).size());
    applied.menuChecks[static_cast<size_t>(LanguageMenuItem(context.Texts.Language))] = true;
    applied.captions = ReadLanguageTexts(context.Texts, context.Device.DevInf.DbVersion);
    const Dev_Language_Struct& texts = context.Texts.DevLanguage;
    applied.applicationTitle = texts.MainSoftWareInfo;
    applied.windowCaption = BufferCaption(context.Buffer);

    StatusBarView& statusBar = *context.Views.statusBar;
    // Connected, the panel keeps naming the firmware version in the new language.
    statusBar.SetPanelText(2, context.Device.Link.Uart.Connected
                                  ? OnlineStatusText(context.Texts, context.Device.DevInf.FwVersion)
                                  : texts.DevConStaOffline);
    statusBar.SetPanelText(0, "");
    return applied;
}

LanguageApplied ChooseLanguage(OperationContext& context, int32_t language) {
    if (context.Busy.Running) {
        LanguageApplied refused;
        refused.refused = true;
        return refused;
    }
    context.Texts.Language = language;
    LanguageApplied applied = LoadLanguage(context);
    for (size_t item = 0; item < applied.menuChecks.size(); ++item)
        applied.menuChecks[item] = static_cast<int>(item) == LanguageMenuItem(language);
    // Only the M500 platform shows texts of its own; its reply is not needed.
    DeviceContext& device = context.Device;
    if (device.Link.Uart.Connected && PlatformCode(device.DevInf.Model) == "M500")
        SetLanguage(device.Link, static_cast<uint8_t>(language >= 0 && language <= 1 ? language : 2));
    return applied;
}

}  // namespace tq

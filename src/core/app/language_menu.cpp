#include "core/app/language_menu.h"

#include "core/app/session.h"
#include "core/chipdb/chip_database.h"
#include "core/device/commands.h"

namespace tq {

LanguageApplied LoadLanguage(Session& session, std::string_view openFileName) {
    LanguageApplied applied;
    applied.menuChecks[static_cast<size_t>(LanguageMenuItem(session.Texts.Language))] = true;
    applied.captions = ReadLanguageTexts(session.Texts, session.Device.DevInf.DbVersion);
    const Dev_Language_Struct& texts = session.Texts.DevLanguage;
    applied.applicationTitle = texts.MainSoftWareInfo;
    applied.windowCaption = texts.MainSoftWareInfo + "    " + std::string(openFileName);

    StatusBarView& statusBar = *session.Views.statusBar;
    statusBar.SetPanelText(2, session.Device.Link.Uart.Connected ? texts.DevConStaOnline : texts.DevConStaOffline);
    statusBar.SetPanelText(0, "");
    return applied;
}

LanguageApplied SelectLanguage(Session& session, int32_t index, std::string_view openFileName) {
    if (session.Busy.Running) {
        LanguageApplied refused;
        refused.refused = true;
        return refused;
    }
    session.Texts.Language = index;
    LanguageApplied applied = LoadLanguage(session, openFileName);
    for (size_t item = 0; item < applied.menuChecks.size(); ++item)
        applied.menuChecks[item] = static_cast<int>(item) == LanguageMenuItem(index);
    // Only the M500 platform shows texts of its own; its reply is not needed.
    DeviceContext& device = session.Device;
    if (device.Link.Uart.Connected && PlatformCode(device.DevInf.Model) == "M500")
        SetLanguage(device.Link, static_cast<uint8_t>(index));
    return applied;
}

LanguageApplied Menu_Settings_Lang_CNClick(Session& session, std::string_view openFileName) {
    return SelectLanguage(session, 0, openFileName);
}
LanguageApplied Menu_Settings_Lang_TCClick(Session& session, std::string_view openFileName) {
    return SelectLanguage(session, 1, openFileName);
}
LanguageApplied Menu_Settings_Lang_ENClick(Session& session, std::string_view openFileName) {
    return SelectLanguage(session, 2, openFileName);
}

}  // namespace tq

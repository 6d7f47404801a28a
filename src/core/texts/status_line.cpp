#include "core/texts/status_line.h"

#include <cstdio>

#include "core/platform/clock.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/text_context.h"

namespace tq {

std::string StatusLine(Clock& clock, const std::string& text) {
    const TimeOfDay now = clock.LocalTimeOfDay();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d ", now.hours % 100, now.minutes % 100, now.seconds % 100);
    return time + text;
}

std::string OnlineStatusText(const TextContext& texts, const std::string& firmwareVersion) {
    const Dev_Language_Struct& language = texts.DevLanguage;
    return Text(texts.Language, TextId::ConnectedWithVersion,
                {language.DevConStaOnline, language.DevConVersion, firmwareVersion});
}

}  // namespace tq

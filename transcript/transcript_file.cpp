// SPDX-License-Identifier: MIT
#include "transcript/transcript_file.h"

#include "platform/text_file.h"

namespace jabbery {

namespace {

const std::string kBannerRule(77, '#');

}  // namespace

std::string TranscriptBanner(std::time_t when) {
    const CPlainString clock = ClockText(12, when);
    const CPlainString year = YearText(when);
    const CPlainString day = DayText(when);
    const CPlainString month = MonthText(when);
    return kBannerRule + kLineEnd + "### Jabbery 3.0: Transcript of " + month.Str() + " " +
           day.Str() + ", " + year.Str() + " at " + clock.Str() + kLineEnd + kBannerRule + kLineEnd;
}

bool AppendTranscriptToFile(const std::string& path, const CPlainString& plain_text,
                            const ClockSource& now, std::string& error) {
    // The separator leaves one empty line between an earlier conversation in
    // the same file and the new banner.
    const AppendResult result =
        AppendOrCreateFile(path, kLineEnd, TranscriptBanner(now()) + plain_text.Str());
    if (!result.m_ok) error = result.m_error;
    return result.m_ok;
}

}  // namespace jabbery

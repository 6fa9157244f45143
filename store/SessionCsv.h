// The session history as CSV, for a spreadsheet or a script: a header row,
// then one row per session or per hand, fields separated by commas, text
// quoted where it holds a comma, a quote or a line break (RFC 4180), UTF-8,
// lines ending in "\n". Numbers have a point and up to 10 significant
// digits; times are ISO 8601 local time with their offset. The field names
// are those of `tarnwick-cli sessions` and `hands`.
#pragma once

#include "store/SessionFigures.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// One row per session, in the order given: id, start, end (empty while
// open), seconds, hands, money, currency, bb, bb_per_100, hands_per_hour,
// money_per_hour, peak, drawdown, ended.
std::string SessionsCsv(const std::vector<SessionRecord>& sessions);

// One row per hand, in the order given: seq, time, room, file, hand,
// currency, bb, result, money, total.
std::string HandsCsv(const std::vector<HandRow>& hands);

// `text` as one CSV field: as it is, or quoted with its quotes doubled.
std::string CsvField(std::string_view text);

} // namespace tw

#include "twain_ds/twain_error.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/message_box.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// The failure box's text buffer.
constexpr int kErrorTextSize = 180;
constexpr int kTraceTextSize = 128;

std::atomic<TraceSink> g_traceSink{nullptr};

struct ConditionEntry {
  TW_UINT16 condition;
  const char* text;
};

constexpr ConditionEntry kConditionTexts[] = {
    {TWCC_SUCCESS, "Success message from detailed error request ??"},
    {TWCC_BUMMER, "Bummer error."},
    {TWCC_LOWMEMORY, "Low Memory Condition encountered, free up some memory and try again."},
    {TWCC_NODS, "No Data Source found error."},
    {TWCC_MAXCONNECTIONS, "Source is connected to max possible apps."},
    {TWCC_OPERATIONERROR, "An operation error just occurred."},
    {TWCC_BADCAP, "Bad capabilities error."},
    {TWCC_BADPROTOCOL, "Bad protocol error."},
    {TWCC_BADVALUE, "Bad value error."},
    {TWCC_SEQERROR, "DG DAT MSG is out of expected sequence."},
};

}  // namespace

const char* ConditionText(TW_UINT16 condition) {
  for (const ConditionEntry& entry : kConditionTexts)
    if (entry.condition == condition) return entry.text;
  return "Unknown Error value in condition code.";
}

void ReportTwainError(const char* lead, TW_UINT16 condition) {
  char text[kErrorTextSize];
  std::snprintf(text, sizeof text, "%s%s", lead, ConditionText(condition));
  MessageBoxA(g_parentWindow, text, kErrorBoxCaption, MB_OK);
}

TW_UINT16 FailTriplet(TW_UINT16 condition, const char* lead) {
  g_condition = condition;
  ReportTwainError(lead, condition);
  return TWRC_FAILURE;
}

TW_UINT16 FailQuietly(TW_UINT16 condition) {
  g_condition = condition;
  return TWRC_FAILURE;
}

void SetTraceSink(TraceSink sink) { g_traceSink = sink; }

void TraceHook(const char* format, ...) {
  TraceSink sink = g_traceSink.load();
  if (!sink) return;
  char text[kTraceTextSize];
  std::va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  sink(text);
}

}  // namespace twain_ds

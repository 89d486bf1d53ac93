// Where Microsoft's documentation of the Access driver leaves a behaviour open, the stand-in
// behaves one plausible way by default, and a test may pick another through an environment
// variable. The variables are read only in builds with BRIVANTO_STANDIN_TEST_HOOKS, and read at
// every use, so a test can change them between calls; those that shape the values of a result are
// read once for it (ValueSwitchesSetting). Unset, empty or unknown: the default.
#pragma once

namespace brivanto::standin {

// BRIVANTO_STANDIN_LONG_TEXT_LENGTH: doubled (default) | exact
enum class LongTextLength { kDoubled, kExact };
// BRIVANTO_STANDIN_BASE_NAMES: empty (default) | given
enum class BaseNames { kEmpty, kGiven };
// BRIVANTO_STANDIN_MEMO_COMPARE: refuse (default) | compare
enum class MemoCompare { kRefuse, kCompare };
// BRIVANTO_STANDIN_DECIMAL_SEPARATOR: comma (default) | point
enum class DecimalSeparator { kComma, kPoint };
// BRIVANTO_STANDIN_DIAGNOSTICS: warning-first (default) | im-first | single
enum class FailureRecords { kWarningFirst, kImFirst, kSingle };
// BRIVANTO_STANDIN_CODE_PAGE: 1252 (default) | utf-8
enum class CodePage { kWindows1252, kUtf8 };
// BRIVANTO_STANDIN_REPAIR_ANSWER: false-after-repair (default) | add-only | config | refuse-both
enum class RepairAnswer { kFalseAfterRepair, kAddOnly, kConfig, kRefuseBoth };

LongTextLength LongTextLengthSetting();
BaseNames BaseNamesSetting();
MemoCompare MemoCompareSetting();
DecimalSeparator DecimalSeparatorSetting();
FailureRecords FailureRecordsSetting();
CodePage CodePageSetting();
RepairAnswer RepairAnswerSetting();

// The switches that shape how the values of a result set are handed out, read together when its
// first value is: a result of a million rows then reads the environment once, not per value.
struct ValueSwitches {
  LongTextLength long_text_length = LongTextLength::kDoubled;
  DecimalSeparator decimal_separator = DecimalSeparator::kComma;
  CodePage code_page = CodePage::kWindows1252;
};
ValueSwitches ValueSwitchesSetting();

}  // namespace brivanto::standin

#include "TestSwitches.h"

#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace brivanto::standin {
namespace {

// The first choice is the default.
template <typename Setting>
Setting Read([[maybe_unused]] const char* variable,
             std::initializer_list<std::pair<std::string_view, Setting>> choices) {
#ifdef BRIVANTO_STANDIN_TEST_HOOKS
  if (const char* wanted = std::getenv(variable)) {
    for (const auto& [name, setting] : choices) {
      if (name == wanted) {
        return setting;
      }
    }
  }
#endif
  return choices.begin()->second;
}

}  // namespace

LongTextLength LongTextLengthSetting() {
  return Read<LongTextLength>(
      "BRIVANTO_STANDIN_LONG_TEXT_LENGTH",
      {{"doubled", LongTextLength::kDoubled}, {"exact", LongTextLength::kExact}});
}

BaseNames BaseNamesSetting() {
  return Read<BaseNames>("BRIVANTO_STANDIN_BASE_NAMES",
                         {{"empty", BaseNames::kEmpty}, {"given", BaseNames::kGiven}});
}

MemoCompare MemoCompareSetting() {
  return Read<MemoCompare>("BRIVANTO_STANDIN_MEMO_COMPARE",
                           {{"refuse", MemoCompare::kRefuse}, {"compare", MemoCompare::kCompare}});
}

DecimalSeparator DecimalSeparatorSetting() {
  return Read<DecimalSeparator>(
      "BRIVANTO_STANDIN_DECIMAL_SEPARATOR",
      {{"comma", DecimalSeparator::kComma}, {"point", DecimalSeparator::kPoint}});
}

FailureRecords FailureRecordsSetting() {
  return Read<FailureRecords>("BRIVANTO_STANDIN_DIAGNOSTICS",
                              {{"warning-first", FailureRecords::kWarningFirst},
                               {"im-first", FailureRecords::kImFirst},
                               {"single", FailureRecords::kSingle}});
}

CodePage CodePageSetting() {
  return Read<CodePage>("BRIVANTO_STANDIN_CODE_PAGE",
                        {{"1252", CodePage::kWindows1252}, {"utf-8", CodePage::kUtf8}});
}

RepairAnswer RepairAnswerSetting() {
  return Read<RepairAnswer>("BRIVANTO_STANDIN_REPAIR_ANSWER",
                            {{"false-after-repair", RepairAnswer::kFalseAfterRepair},
                             {"add-only", RepairAnswer::kAddOnly},
                             {"config", RepairAnswer::kConfig},
                             {"refuse-both", RepairAnswer::kRefuseBoth}});
}

ValueSwitches ValueSwitchesSetting() {
  return {LongTextLengthSetting(), DecimalSeparatorSetting(), CodePageSetting()};
}

}  // namespace brivanto::standin

#include "search/searchcriteria.h"

#include "search/searchthread.h"

void ConfigureSearchThread(TFindFile& thread, const TSearchCriteria& criteria) {
  thread.SetMasks(criteria.MaskText);
  thread.ContainsText = criteria.ContainsText;
  thread.NotContainsText = criteria.NotContainsText;
  thread.CaseSensitive = criteria.CaseSensitive;
  thread.CodePages = criteria.CodePages;
  thread.UseDates = criteria.UseDates;
  thread.InZip = criteria.InZip;
  if (criteria.UseDates) {
    thread.SetDateTo(criteria.DateTo);
    thread.SetDateFrom(criteria.DateFrom);
  }
}

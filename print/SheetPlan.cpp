#include "print/SheetPlan.h"

size_t SheetSet::PageCount() const
{
    size_t pages = 0;
    for (const SheetPlan& plan : sheets)
        pages += plan.pages.size();
    return pages;
}

int SheetSet::WordsLeftOut() const
{
    int left = 0;
    for (const SheetPlan& plan : sheets)
        left += plan.words.wordsLeftOut + plan.legend.versesLeftOut;
    return left;
}

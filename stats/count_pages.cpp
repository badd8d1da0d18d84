// The three count pages: each draws the count texts of its group beside the
// labels that its template supplies.
#include <windows.h>

#include "stats/count_font.h"
#include "stats/count_pages.h"
#include "win/main_window_frame.h"

namespace {

template <CounterGroup CounterTable::*Group>
INT_PTR CALLBACK CountPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAINT: {
        const CounterGroup& group = Counters.*Group;
        FigurePainter painter(page);
        for (int slot = 0; slot < group.size; ++slot)
            painter.DrawFigure(SlotTextAnchor(slot), group.keys[slot].count);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

DLGPROC CountPageProcOf(CountPage page)
{
    switch (page) {
    case CountPage::Lowercase:
        return CountPageProc<&CounterTable::LowercaseGroup>;
    case CountPage::Uppercase:
        return CountPageProc<&CounterTable::UppercaseGroup>;
    case CountPage::DigitsSymbols:
        return CountPageProc<&CounterTable::DigitSymbolGroup>;
    case CountPage::None:
        break;
    }
    return nullptr;
}

void LayOutSlotRects(HWND page)
{
    for (int slot = 0; slot < SlotCount; ++slot)
        Counters.DisplaySlot[slot].Store(BandInMainWindow(page, SlotTextBand(slot), MainWindow));
}

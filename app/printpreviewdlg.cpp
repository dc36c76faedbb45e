#include "printpreviewdlg.h"

#include "core/filereplace.h"
#include "framework/afxdlgs.h"
#include "resource.h"

namespace {

const int GAP = 8;         // pixels around the page and the buttons
const int PNG_DPI = 150;  // the picture's resolution

}  // namespace

BEGIN_MESSAGE_MAP(CPrintPreviewDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    ON_BN_CLICKED(IDC_PREVIEW_PRINT, OnPrint)
    ON_BN_CLICKED(IDC_PREVIEW_PNG, OnSavePng)
END_MESSAGE_MAP()

CPrintPreviewDlg::CPrintPreviewDlg(CSheetPrinter &printer_, const PrintedSheet &sheet_, const CString &title_,
                                   const CString &fileName_, CWnd *parent)
    : CDialog(IDD_PRINT_PREVIEW, parent), printer(printer_), sheet(sheet_), title(title_), fileName(fileName_) {}

BOOL CPrintPreviewDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    hasPrinter = printer.Page(&page);
    if (!hasPrinter) page = DefaultPage();
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return TRUE;
}

int CPrintPreviewDlg::ButtonsTop() const {
    RECT button = {0, 0, 0, 0}, client = {0, 0, 0, 0};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDCANCEL), &button);
    ::GetClientRect(m_hWnd, &client);
    return client.bottom - GAP - (button.bottom - button.top);
}

RECT CPrintPreviewDlg::PageRect() const {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right - 2 * GAP, height = ButtonsTop() - 2 * GAP;
    RECT shown = {0, 0, 0, 0};
    if (width <= 0 || height <= 0 || page.paperWidth <= 0 || page.paperHeight <= 0) return shown;
    // As wide as the window allows, unless the height limits it.
    int w = width, h = ::MulDiv(width, page.paperHeight, page.paperWidth);
    if (h > height) h = height, w = ::MulDiv(height, page.paperWidth, page.paperHeight);
    shown.left = GAP + (width - w) / 2;
    shown.top = GAP + (height - h) / 2;
    shown.right = shown.left + w;
    shown.bottom = shown.top + h;
    return shown;
}

// The buttons along the bottom: Print and Save as PNG on the left, Close on the right.
void CPrintPreviewDlg::OnSize(UINT, int cx, int) {
    const int top = ButtonsTop();
    int x = GAP;
    for (int id : {IDC_PREVIEW_PRINT, IDC_PREVIEW_PNG, IDCANCEL}) {
        HWND button = ::GetDlgItem(m_hWnd, id);
        RECT r;
        if (button == nullptr || !::GetWindowRect(button, &r)) return;  // the controls come after the first size
        const int w = r.right - r.left;
        ::SetWindowPos(button, nullptr, id == IDCANCEL ? cx - GAP - w : x, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        x += w + GAP;
    }
    Invalidate(FALSE);
}

LRESULT CPrintPreviewDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    MINMAXINFO *limits = reinterpret_cast<MINMAXINFO *>(lParam);
    limits->ptMinTrackSize.x = 320;
    limits->ptMinTrackSize.y = 240;
    return 0;
}

BOOL CPrintPreviewDlg::OnEraseBkgnd(CDC *) { return TRUE; }  // OnPaint covers the client area

// The page drawn off screen, then shown at once: no flicker while resizing.
void CPrintPreviewDlg::OnPaint() {
    CPaintDC paint(this);
    RECT client;
    GetClientRect(&client);
    HDC memory = ::CreateCompatibleDC(paint);
    HBITMAP bitmap = ::CreateCompatibleBitmap(paint, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::FillRect(memory, &client, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    const RECT shown = PageRect();
    if (shown.right > shown.left) {
        DrawPageInto(memory, sheet, page, shown);
        ::FrameRect(memory, &shown, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ::BitBlt(paint, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
}

// With no printer the preview stays, and says how the page can be kept instead.
void CPrintPreviewDlg::OnPrint() {
    PageGeometry now;
    if (!printer.Page(&now)) {
        MessageBox("No printer is installed. The page can be saved as a picture with Save as PNG...", "Quillon",
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (PrintWithMessages(printer, this, sheet, title)) EndDialog(IDOK);
}

void CPrintPreviewDlg::OnSavePng() {
    CFileDialog dialog(FALSE, "png", fileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "PNG Pictures (*.png)|*.png|All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrTitle = "Save as PNG";
    if (dialog.DoModal() != IDOK) return;
    const std::string png = PagePng(sheet, page, PNG_DPI);
    if (png.empty() || ReplaceFileBytes(dialog.GetPathName(), png.data(), png.size()) != FileReplaceStatus::Replaced)
        MessageBox("The page could not be saved as a picture.", "Quillon : File I/O Error", MB_OK | MB_ICONEXCLAMATION);
}

#include "app/control_table.h"

#include <commctrl.h>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kEdit = kChild | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kButton =
    kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;
constexpr DWORD kDropDownList = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kList = kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL;

// The four controls inside the group boxes are children of the window itself (so that their
// commands reach it), placed at the group box's position plus their own.
constexpr ControlSpec kControls[] = {
    {kLabel1, "STATIC", "插件目录：", 8, 8, 64, 24, kLabel | WS_BORDER, 0},
    {kFolderEdit, "EDIT", "", 71, 8, 537, 24, kEdit, 0},
    {kChooseButton, "BUTTON", "选择..", 608, 8, 56, 24, kButton, 0},
    {kLabel2, "STATIC", "文件类型：", 8, 40, 64, 24, kLabel | WS_BORDER, 0},
    {kExtensionEdit, "EDIT", "yml,txt,json,lang", 71, 40, 329, 24, kEdit, 0},
    {kLabel3, "STATIC", "* 如果不知道这个是什么，请保持默认。", 408, 40, 216, 24, kLabel, 0},
    {kBackupGroup, "BUTTON", "备份操作", 2, 72, 224, 48, kGroup, 0},
    {kBackupButton, "BUTTON", "开 始 备 份", 10, 88, 96, 24, kButton, 0},
    {kRestoreButton, "BUTTON", "备 份 还 原", 114, 88, 96, 24, kButton, 0},
    {kTranscodeGroup, "BUTTON", "转码操作", 224, 72, 446, 48, kGroup, 0},
    {kTargetCombo, "COMBOBOX", "", 232, 91, 152, 160, kDropDownList, 0},
    {kTranscodeButton, "BUTTON", "开 始 转 码", 392, 88, 96, 24, kButton, 0},
    {kResultListControl, WC_LISTVIEWA, "", -1, 122, 672, 376, kList, WS_EX_CLIENTEDGE},
};

constexpr ColumnSpec kColumns[] = {{" #", 50}, {"路径", 420}, {"当前编码", 80}, {"状态", 100}};

} // namespace

std::span<const ControlSpec> MainWindowControls() { return kControls; }

std::span<const ColumnSpec> ResultListColumns() { return kColumns; }

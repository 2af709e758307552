// pelrudo-backup: Pelrudo's text twin, running the backup dialog's own load and apply without a window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "backup/CBackupDlg.h"
#include "platform/Text.h"

namespace {

// The backup dialog with no window: failures go to standard error as the dialog's message box says them.
class CBackupTwin : public CBackupDlg {
public:
    CBackupTwin() { AttachHeadless(); }

protected:
    void ShowMessage(LPCTSTR lpszText) override { std::fprintf(stderr, "%s\n", ToUtf8(CString(lpszText)).c_str()); }
};

struct Change {
    std::string name;
    BOOL bTick;
};

int Usage()
{
    std::fputs("usage: pelrudo-backup list\n"
               "       pelrudo-backup apply [--tick NAME]... [--untick NAME]...\n"
               "Runs Pelrudo's load against the handheld named by PELRUDO_DEVICE; list prints its rows and\n"
               "figures, apply changes the named boxes and then does what OK does.\n",
               stderr);
    return 2;
}

void PrintList(const CBackupDlg& dlg)
{
    for (int i = 0; i < dlg.m_list.GetItemCount(); ++i)
        std::printf("[%c] %s\t%s\n", dlg.m_list.GetCheck(i) ? 'x' : ' ', ToUtf8(dlg.m_list.GetItemText(i, 0)).c_str(),
                    ToUtf8(dlg.m_list.GetItemText(i, 1)).c_str());
    std::printf("选定程序所需的空间: %s\n移动设备上的可用空间: %s\n", ToUtf8(dlg.m_strRequired).c_str(),
                ToUtf8(dlg.m_strAvailable).c_str());
}

int FindRow(const CBackupDlg& dlg, const std::string& name)
{
    for (int i = 0; i < dlg.m_list.GetItemCount(); ++i)
        if (ToUtf8(dlg.m_list.GetItemText(i, 0)) == name)
            return i;
    return -1;
}

bool ParseChanges(int argc, char** argv, std::vector<Change>* pChanges)
{
    for (int i = 2; i < argc; i += 2) {
        const bool tick = std::strcmp(argv[i], "--tick") == 0;
        if ((!tick && std::strcmp(argv[i], "--untick") != 0) || i + 1 >= argc)
            return false;
        pChanges->push_back({argv[i + 1], tick ? TRUE : FALSE});
    }
    return true;
}

int Apply(CBackupTwin& dlg, const std::vector<Change>& changes)
{
    // Every name must be a row before anything changes on the handheld.
    std::vector<int> rows;
    for (const Change& change : changes) {
        rows.push_back(FindRow(dlg, change.name));
        if (rows.back() < 0) {
            std::fprintf(stderr, "pelrudo-backup: no application \"%s\" in the list\n", change.name.c_str());
            return 2;
        }
    }
    for (std::size_t i = 0; i < changes.size(); ++i)
        dlg.m_list.SetCheck(rows[i], changes[i].bTick);
    dlg.SendMessage(CBackupDlg::WM_APPLY);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const bool list = std::strcmp(argv[1], "list") == 0;
    std::vector<Change> changes;
    if (!list && (std::strcmp(argv[1], "apply") != 0 || !ParseChanges(argc, argv, &changes)))
        return Usage();
    if (list && argc != 2)
        return Usage();

    CBackupTwin dlg;
    if (!dlg.SendMessage(CBackupDlg::WM_LOAD)) {
        dlg.ReleaseDevice();
        return 1;
    }
    const int status = list ? (PrintList(dlg), 0) : Apply(dlg, changes);
    dlg.ReleaseDevice();
    return status;
}

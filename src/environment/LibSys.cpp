#include "environment/LibSys.h"

#include <utility>

#include "platform/system/SysInfo.h"

namespace qm {

std::string ButtonCaption(const std::string& buttonName) {
    static const std::pair<const char*, const char*> captions[] = {
        {"Yes", "是(&Y)"},      {"No", "否(&N)"},        {"OK", "确定"},
        {"Cancel", "取消"},     {"Abort", "中断(&A)"},   {"Retry", "重试(&R)"},
        {"Ignore", "忽略(&I)"}, {"All", "全部(&A)"},     {"NoToAll", "全否(&o)"},
        {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
    };
    for (const auto& [name, caption] : captions)
        if (buttonName == name) return caption;
    return buttonName;
}

bool IsLocalHost(const std::string& address) { return address == "127.0.0.1"; }

std::string GetTempFolder() {
    std::string folder = plat::GetTempPath();
    if (folder.empty()) return "/tmp/";
    if (folder.back() != '/') folder += '/';
    return folder;
}

void ClickControl(plat::TControl* control, plat::WPARAM wParam, plat::LPARAM lParam) {
    if (!control) return;
    plat::TComponentWatch watch(control);
    control->Perform(plat::WM_LBUTTONDOWN, wParam, lParam);
    if (watch.Target) control->Perform(plat::WM_LBUTTONUP, wParam, lParam);
}

}  // namespace qm

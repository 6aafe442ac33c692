#include "platform/modalbox.h"

#include "platform/platform.h"

namespace {
std::function<void()>& BeforeModalBox() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void SetBeforeModalBox(std::function<void()> hook) {
    BeforeModalBox() = std::move(hook);
}

void ClearWayForModalBox() {
    if (const auto& hook = BeforeModalBox())
        hook();
}

TBoxResult ShowModalBox(const TBoxRequest& request) {
    ClearWayForModalBox();
    return Platform().Boxes->Show(request);
}

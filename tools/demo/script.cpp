#include "tools/demo/script.h"

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "wizard/update_wizard.h"

namespace demo {

Script& Script::then(std::function<bool(UpdateWizard&)> step) {
    steps_.push_back(std::move(step));
    return *this;
}

Script& Script::waitState(std::int16_t state) {
    return then([state](UpdateWizard& w) { return w.state == state && w.builtState == state; });
}

Script& Script::clickSlot(int slot) {
    return then([slot](UpdateWizard& w) {
        const Button& b = *w.buttons[slot];
        return headless::click(b.x + b.width / 2, b.y + b.height / 2), true;
    });
}

Script& Script::post(std::uint32_t message, WParam wParam) {
    return then([=](UpdateWizard&) { return headless::post(message, wParam), true; });
}

Script& Script::key(std::uint32_t virtualKey, std::size_t times) {
    for (; times > 0; --times) {
        post(win::kWmKeyDown, virtualKey);
    }
    return *this;
}

Script& Script::type(const std::string& characters) {
    for (unsigned char c : characters) {
        post(win::kWmChar, c);
    }
    return *this;
}

Script& Script::mouse(int slot, int halfX, int halfY, std::vector<std::uint32_t> messages) {
    return then([=](UpdateWizard& w) {
        const Button& b = *w.buttons[slot];
        const LParam at = win::makeLParam(b.x + b.width * halfX / 2, b.y + b.height * halfY / 2);
        headless::post(win::kWmMouseMove, 0, at);
        for (std::uint32_t m : messages) {
            headless::post(m, m == win::kWmLButtonDown, m == win::kWmPaint ? 0 : at);
        }
        return true;
    });
}

Script& Script::retry() {
    return clickSlot(3)
        .waitState(FolderEntryScreen)
        .clickSlot(3)
        .waitState(VersionScreen)
        .clickSlot(4);
}

Script& Script::frames(int count) {
    return then([count](UpdateWizard&) mutable { return --count < 0; });
}

Script& Script::check(std::function<void(UpdateWizard&)> body) {
    return then([body = std::move(body)](UpdateWizard& w) { return body(w), true; });
}

bool Script::run(const std::filesystem::path& folder, const char* commandLine, int frameLimit) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    int frame = 0;
    headless::setPumpHook([&] {
        auto* w = dynamic_cast<UpdateWizard*>(shell::application);
        if (w != nullptr && !steps_.empty() && steps_.front()(*w)) {
            steps_.pop_front();
        }
        if (++frame == frameLimit) {
            headless::post(win::kWmClose);
        }
    });
    InstanceHandle (*instance)() = headless::ops().instance;
    runApplication(instance != nullptr ? instance() : nullptr, commandLine);
    headless::setPumpHook(nullptr);
    std::filesystem::current_path(previous);
    return steps_.empty();
}

} // namespace demo

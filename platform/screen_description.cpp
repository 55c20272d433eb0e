#include "platform/screen_description.h"

namespace {

const char* roleName(ElementRole role) {
    switch (role) {
    case ElementRole::PushButton:
        return "push button";
    case ElementRole::ProgressBar:
        return "progress bar";
    case ElementRole::EditableText:
        return "editable text";
    default:
        return "static text";
    }
}

} // namespace

std::string describeAsText(const ScreenDescription& description) {
    std::string text = "window \"" + description.title + "\"\n";
    for (const ScreenElement& e : description.elements) {
        text += std::string("  ") + roleName(e.role) + " \"" + e.name + "\"";
        if (e.role == ElementRole::ProgressBar) {
            text += " " + std::to_string(e.value) + "%";
        }
        if (e.unavailable) {
            text += " unavailable";
        }
        if (e.focused) {
            text += " focused";
        }
        text += "\n";
    }
    return text;
}

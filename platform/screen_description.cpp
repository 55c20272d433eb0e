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
    // Appended piece by piece: chains of + trip a false overlap warning in GCC 12.
    std::string text = "window \"";
    text.append(description.title).append("\"\n");
    for (const ScreenElement& e : description.elements) {
        text.append("  ").append(roleName(e.role)).append(" \"").append(e.name).append("\"");
        if (e.role == ElementRole::ProgressBar) {
            text.append(" ").append(std::to_string(e.value)).append("%");
        }
        if (e.unavailable) {
            text.append(" unavailable");
        }
        if (e.focused) {
            text.append(" focused");
        }
        text.append("\n");
    }
    return text;
}

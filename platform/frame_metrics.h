// Frame sizes of a desktop without Windows' own system metrics: what its backend
// reports for SystemMetric, and what it adds around a window's client area.
#pragma once

#include <cstdint>

#include "platform/messages.h"
#include "platform/platform.h"

struct FrameMetrics {
    int fixedFrameWidth = 3;
    int fixedFrameHeight = 3;
    int sizingFrameWidth = 4;
    int sizingFrameHeight = 4;
    int captionHeight = 19;

    int metric(SystemMetric which) const {
        switch (which) {
        case SystemMetric::FixedFrameWidth:
            return fixedFrameWidth;
        case SystemMetric::FixedFrameHeight:
            return fixedFrameHeight;
        case SystemMetric::SizingFrameWidth:
            return sizingFrameWidth;
        case SystemMetric::SizingFrameHeight:
            return sizingFrameHeight;
        case SystemMetric::CaptionHeight:
            return captionHeight;
        }
        return 0;
    }
    // The border around a window of this style, as Windows sizes it.
    int borderWidth(std::uint32_t style) const {
        return (style & win::kWsThickFrame) != 0 ? sizingFrameWidth : fixedFrameWidth;
    }
    int borderHeight(std::uint32_t style) const {
        return (style & win::kWsThickFrame) != 0 ? sizingFrameHeight : fixedFrameHeight;
    }
};

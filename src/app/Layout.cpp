#include "app/Layout.h"

#include <algorithm>

LayoutRect StretchToClient(const LayoutRect& current, const EdgeRule& rule, int cx, int cy) {
    LayoutRect result = current;
    result.right = std::max(current.left, cx - rule.rightMargin);
    if (rule.bottomMargin) {
        result.bottom = std::max(current.top, cy - *rule.bottomMargin);
    }
    return result;
}

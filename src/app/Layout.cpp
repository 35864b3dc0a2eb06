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

namespace {

bool Contains(const LayoutRect& outer, const LayoutRect& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

bool ShareARow(const LayoutRect& a, const LayoutRect& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

void FitLabelsInRows(std::vector<FitItem>& items, int gap) {
    const std::size_t count = items.size();
    std::vector<LayoutRect> before(count);
    std::vector<int> shift(count, 0);
    std::vector<int> growth(count, 0);
    // The smallest group box around each item, or none.
    std::vector<std::ptrdiff_t> box(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        before[i] = items[i].rect;
        growth[i] = std::max(0, items[i].neededWidth - (before[i].right - before[i].left));
    }
    const auto area = [&before](std::size_t i) {
        return static_cast<long long>(before[i].right - before[i].left) * (before[i].bottom - before[i].top);
    };
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t g = 0; g < count; ++g) {
            if (g != i && items[g].isGroupBox && Contains(before[g], before[i]) &&
                (box[i] < 0 || area(g) < area(static_cast<std::size_t>(box[i])))) {
                box[i] = static_cast<std::ptrdiff_t>(g);
            }
        }
    }
    const auto newRight = [&](std::size_t i) { return before[i].right + shift[i] + growth[i]; };
    // Shifts and growths only ever increase and are bounded by the widths asked for, so a few
    // passes settle them; a group box and its controls depend on each other across passes.
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t j = 0; j < count; ++j) {
            int wanted = box[j] >= 0 ? shift[static_cast<std::size_t>(box[j])] : 0;
            for (std::size_t i = 0; i < count; ++i) {
                if (i != j && box[i] == box[j] && before[i].right <= before[j].left &&
                    ShareARow(before[i], before[j])) {
                    const int distance = std::min(before[j].left - before[i].right, gap);
                    wanted = std::max(wanted, newRight(i) + distance - before[j].left);
                }
            }
            if (wanted > shift[j]) {
                shift[j] = wanted;
                changed = true;
            }
            if (!items[j].isGroupBox) {
                continue;
            }
            for (std::size_t c = 0; c < count; ++c) {
                if (box[c] == static_cast<std::ptrdiff_t>(j)) {
                    const int margin = std::min(before[j].right - before[c].right, gap);
                    const int needed = newRight(c) + margin - (before[j].right + shift[j]);
                    if (needed > growth[j]) {
                        growth[j] = needed;
                        changed = true;
                    }
                }
            }
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        items[i].rect.left = before[i].left + shift[i];
        items[i].rect.right = newRight(i);
    }
}

#include "ui/UIFocusOrder.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <numeric>
#include <string>

std::vector<size_t> FocusOrder(const std::vector<int>& tabIndexes) {
    std::vector<size_t> order(tabIndexes.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto rank = [&](size_t i) { return tabIndexes[i] > 0 ? tabIndexes[i] : INT_MAX; };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rank(a) < rank(b); });
    return order;
}

size_t NextInFocusOrder(const std::vector<int>& tabIndexes, size_t current, bool forward) {
    const std::vector<size_t> order = FocusOrder(tabIndexes);
    if (order.empty())
        return std::string::npos;
    const auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end())
        return forward ? order.front() : order.back();
    const size_t place = size_t(at - order.begin());
    const size_t next = forward ? (place + 1) % order.size() : (place + order.size() - 1) % order.size();
    return order[next];
}

std::string MnemonicText(const std::string& text, char letter) {
    std::string marked;
    bool placed = false;
    for (char c : text) {
        if (c == '&')
            marked += '&'; // a plain ampersand stays one
        else if (!placed && std::toupper(static_cast<unsigned char>(c)) ==
                                std::toupper(static_cast<unsigned char>(letter))) {
            marked += '&';
            placed = true;
        }
        marked += c;
    }
    // A text without the letter (another script) shows it after itself: "打开串口(O)".
    if (!placed)
        marked += std::string("(&") + letter + ")";
    return marked;
}

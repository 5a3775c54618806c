#include "exchange/dialogue_policy.h"

#include <algorithm>

int TimeoutFactorForBaud(int baudRate) {
    if (baudRate <= 0)
        return 1;
    const int factor = 9600 / baudRate;
    return factor < 1 ? 1 : factor;
}

std::vector<int> AutoBaudOrder(int remembered, const std::vector<int>& offered) {
    std::vector<int> rates;
    auto add = [&rates](int rate) {
        if (rate > 0 && std::find(rates.begin(), rates.end(), rate) == rates.end())
            rates.push_back(rate);
    };
    add(remembered);
    add(115200);
    add(9600);
    for (int rate : offered)
        add(rate);
    return rates;
}

const std::vector<int>& StandardBaudRates() {
    static const std::vector<int> rates = {1200,  2400,   4800,   9600,   14400, 19200,
                                           38400, 57600, 115200, 230400, 460800, 921600};
    return rates;
}

#include "dvb/helper/delivery_search.h"

std::vector<TuneSystem> searchOrder(bool offersDvbS, bool offersDvbS2, bool automaticRefused)
{
    std::vector<TuneSystem> order;
    if (offersDvbS2 && !automaticRefused) {
        order.push_back(TuneDvbS2Automatic);
        return order;
    }
    if (offersDvbS) order.push_back(TuneDvbS);
    if (offersDvbS2) {
        order.push_back(TuneDvbS2Qpsk);
        order.push_back(TuneDvbS2Psk8);
    }
    return order;
}

void startSearch(DeliverySearch& search, std::vector<TuneSystem> order, uint64_t nowMs)
{
    search.order = std::move(order);
    search.current = 0;
    search.sinceMs = nowMs;
}

TuneSystem currentSystem(const DeliverySearch& search)
{
    return search.order.empty() ? TuneDvbS : search.order[search.current % search.order.size()];
}

bool searchMovesOn(DeliverySearch& search, bool locked, uint64_t nowMs)
{
    if (locked || search.order.size() < 2) {
        search.sinceMs = nowMs;
        return false;
    }
    if (nowMs - search.sinceMs < searchWindowMs) return false;
    search.current = (search.current + 1) % search.order.size();
    search.sinceMs = nowMs;
    return true;
}

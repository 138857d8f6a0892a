#include "link/exchangestate.h"

ExchangeState &exchange()
{
    static ExchangeState state;
    return state;
}

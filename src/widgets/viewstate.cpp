#include "widgets/viewstate.h"

ViewState &viewState()
{
    static ViewState state;
    return state;
}

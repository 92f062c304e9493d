#include "launcher/app/UpdaterStopFlag.h"

#include "launcher/app/Components.h"

bool IsUpdaterStopRequested(CObjectConnector* connector)
{
    IUpdaterStopFlag* flag = dynamic_cast<IUpdaterStopFlag*>(connector);
    return flag && flag->IsUpdaterStopRequested();
}

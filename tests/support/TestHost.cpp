#include "TestHost.h"

#include "actions/Actions.h"

TestHost::TestHost()
{
    Actions::SetRows(&rows);
}

TestHost::~TestHost()
{
    Actions::RemoveAllActions();
    Actions::SetRows(nullptr);
}

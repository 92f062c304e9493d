#pragma once
// The script API: every class, method and member variable the host binds, in registration order.
struct lua_State;

// The host's registration slots; each binds its part of the table.
enum eScriptApiPart
{
    kApiLauncherScript,
    kApiGlobalFunction,
    kApiLauncherInfo,
    kApiGameInfo,
    kApiLauncherImpl,
    kApiInterMessageQueue,
    kApiProcesses,
    // The launcher program's host adds these.
    kApiFernwayLauncherScript,
    kApiFernwayGlobalFunction,
    kApiGameInfoManager,
    kApiLauncherGUISetup,
    kApiLauncherGUI,
};

// Creates the part's class tables and binds their methods and members, in the table's order.
void BindScriptApi(lua_State* L, eScriptApiPart part);

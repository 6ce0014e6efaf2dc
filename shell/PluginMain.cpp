#include "shell/PluginMain.h"

#include "shell/Globals.h"
#include "shell/Lifetime.h"
#include "shell/SuiteTable.h"
#include "tool/CursorTracking.h"
#include "tool/LineDrag.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#if defined(_WIN32)
#define TRAX_EXPORT __declspec(dllexport)
#else
#define TRAX_EXPORT __attribute__((visibility("default")))
#endif

typedef ErrorCode (*HeaderHandler)(MessageHeader* message);
typedef ErrorCode (*ToolHandler)(ToolMessage* message);

// A selector and its handler; a null handler answers 0 and does nothing.
typedef struct InterfaceRoute {
    const char* selector;
    HeaderHandler handler;
} InterfaceRoute;

typedef struct ToolRoute {
    const char* selector;
    ToolHandler handler;
} ToolRoute;

// Rows in the order the names are tested; the first match decides.
static const InterfaceRoute kAccessRoutes[] = {
    {kSelectorUnload, OnUnload},
    {kSelectorReload, OnReload},
};

static const InterfaceRoute kInterfaceRoutes[] = {
    {kSelectorStartup, OnStartup},
    {kSelectorAbout, OnAbout},
    {kSelectorShutdown, OnShutdown},
};

static const ToolRoute kToolRoutes[] = {
    {kSelectorEditOptions, nullptr},
    {kSelectorTrackCursor, OnTrackCursor},
    {kSelectorMouseDown, OnMouseDown},
    {kSelectorMouseDrag, OnMouseDrag},
    {kSelectorMouseUp, nullptr},
    {kSelectorSelect, nullptr},
    {kSelectorDeselect, nullptr},
};

PluginGlobals* pluginGlobals;

// Names are compared only by the host, with the host's name first.
static bool IsName(const BasicSuite* basic, const char* hostName, const char* pluginName) {
    return basic->IsEqualName(hostName, pluginName) != 0;
}

template <typename Route, size_t count, typename Message>
static ErrorCode Dispatch(const Route (&routes)[count], const char* selector, Message* message) {
    const BasicSuite* basic = reinterpret_cast<MessageHeader*>(message)->basic;
    for (const Route& route : routes) {
        if (!IsName(basic, selector, route.selector)) continue;
        return route.handler != nullptr ? route.handler(message) : kNoError;
    }
    return kNoError;
}

extern "C" TRAX_EXPORT ErrorCode PluginMain(const char* caller, const char* selector, void* message) {
    MessageHeader* header = static_cast<MessageHeader*>(message);
    const BasicSuite* basic = header->basic;

    // Module access is answered at once: no suites, no report.
    if (IsName(basic, caller, kCallerAccess)) return Dispatch(kAccessRoutes, selector, header);

    ErrorCode result = AcquireSuiteTable(basic);
    if (result == kNoError) {
        if (IsName(basic, caller, kCallerInterface)) {
            result = Dispatch(kInterfaceRoutes, selector, header);
        } else {
            result = RouteToolMessage(caller, selector, message);
        }
    }
    if (result != kNoError && result != kErrorSuiteFailed) ReportErrorCode(header, result);
    ReleaseSuiteTable(basic);
    return result;
}

ErrorCode RouteToolMessage(const char* caller, const char* selector, void* message) {
    ToolMessage* toolMessage = static_cast<ToolMessage*>(message);
    if (!IsName(toolMessage->d.basic, caller, kCallerTool)) return kNoError;
    return Dispatch(kToolRoutes, selector, toolMessage);
}

ErrorCode OnUnload(MessageHeader* message) {
    message->globals = pluginGlobals;
    return kNoError;
}

ErrorCode OnReload(MessageHeader* message) {
    pluginGlobals = static_cast<PluginGlobals*>(message->globals);
    suiteAcquireDepth = 0;
    return kNoError;
}

ErrorCode OnAbout(MessageHeader* message) {
    RunAboutBox(message);
    return kNoError;
}

#pragma once

// Diagnostic trace lines. They are compiled out unless the build turns KILNWATCH_TRACE on,
// so a shipped program never formats or writes one.
#if defined(KILNWATCH_TRACE)
#include <cstdio>
#define KW_TRACE(...) std::fprintf(stderr, __VA_ARGS__)
#else
#define KW_TRACE(...) ((void)0)
#endif

// VELA_API marks the classes and functions that Vela.dll exports.
#pragma once

#if defined(VELA_BUILD_DLL)
#define VELA_API __declspec(dllexport)
#else
#define VELA_API __declspec(dllimport)
#endif

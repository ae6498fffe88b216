/* Read before PortAudio 19.6's WASAPI host when it is compiled with
 * MinGW-w64: that file includes the Windows audio headers only for MSVC or
 * for toolchains without NTDDI_VERSION, and MinGW-w64 defines it while
 * shipping every header itself. The property keys and interface IDs are
 * defined here (selectany), as MinGW-w64 has no library that holds them all. */
#define COBJMACROS
#include <initguid.h>
#include <windows.h>
#include <mmreg.h>
#include <avrt.h>
#include <audioclient.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <functiondiscoverykeys_devpkey.h>
#include <devicetopology.h>

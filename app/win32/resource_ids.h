// Identifiers of the resources built into TrenoxVK.exe, shared by the resource script and the code.
#pragma once

#define TRENOXVK_ICON 1

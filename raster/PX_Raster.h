// The whole raster layer in one include.
#pragma once

#include "PX_CachedFont.h"
#include "PX_Draw.h"
#include "PX_IBitmap.h"
#include "PX_IFont.h"
#include "PX_MemBitmap.h"
#include "PX_NativeFont.h"
#include "PX_Png.h"
#include "PX_SysBitmap.h"
#include "PX_Types.h"

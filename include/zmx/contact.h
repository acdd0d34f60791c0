// Contact search and sliding: every area's public header.
#pragma once

#include "zmx/contact/slide_lines.h"
#include "zmx/contact/slide_surfaces.h"

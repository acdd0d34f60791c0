// Contact search and sliding: every area's public header.
#pragma once

#include "zmx/contact/bezier_search.h"
#include "zmx/contact/slide_lines.h"
#include "zmx/contact/slide_surfaces.h"
#include "zmx/contact/search.h"
#include "zmx/contact/master_surfaces.h"

// Contact search and sliding: every area's public header.
#pragma once

#include "zmx/contact/search.h"

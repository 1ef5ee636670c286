#pragma once

#include "platform/math/bbox.h"

#pragma once
#include "instrument/Keys.h"

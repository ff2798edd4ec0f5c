#pragma once
#include "dialogs/Dialog.h"

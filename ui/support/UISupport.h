#pragma once

// The framework's strings, geometry and containers.
#include "ui/support/UIString.h"
#include "ui/support/UIRect.h"
#include "ui/support/UISize.h"
#include "ui/support/UIPoint.h"
#include "ui/support/StdPtrArray.h"
#include "ui/support/StdValArray.h"
#include "ui/support/StdStringPtrMap.h"
#include "ui/support/StringOrId.h"

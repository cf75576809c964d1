#pragma once

// The evaluator: include this one header.
#include "zoZezo/Builtins.h"
#include "zoZezo/Complex.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"
#include "zoZezo/Exception.h"
#include "zoZezo/MathMsg.h"
#include "zoZezo/NativeStatus.h"
#include "zoZezo/Platform.h"
#include "zoZezo/SymbolTable.h"

#pragma once

// The equation editor widgets: include this one header.
#include "zoZezo/Color.h"
#include "zoZezo/CustomEquationMemo.h"
#include "zoZezo/DBEquationMemo.h"
#include "zoZezo/DBRichEdit.h"
#include "zoZezo/DataSource.h"
#include "zoZezo/EquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"
#include "zoZezo/FieldDataLink.h"
#include "zoZezo/Font.h"
#include "zoZezo/FormLoaded.h"
#include "zoZezo/MessageBoxHandler.h"

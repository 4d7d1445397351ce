// The report's two views in one include: the results view (`BuildReport`) and the description
// view with its toggle (`BuildDescriptionView`, `ShowDescription`). Declares nothing of its own.
#pragma once

#include "report/DescriptionView.h"
#include "report/ResultsView.h"

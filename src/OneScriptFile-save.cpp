// Placeholder: assembling and saving the output scripts is being built.
#include "OneScriptFile.h"

#pragma once
// Resource identifiers shared by tavrune.rc and the code.

#define IDD_ENGINE_VARIANT 200
#define IDC_ENGINE_LIST 201
#define IDC_ENGINE_EXPLANATION 202

#define IDD_TEXT_INPUT 350
#define IDC_TEXT_INPUT_PROMPT 1201
#define IDC_TEXT_INPUT_EDIT 1202

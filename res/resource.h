// Resource ids of VKRandom.exe, shared by vkrandom.rc and the Win32 program. The control ids
// inside the templates are the session's (core/editor_window.h) and the settings dialog's.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_VKRANDOM_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_DEFINE_DIALOG 130
#define IDS_ABOUTBOX 101
// The card-transfer progress box and its two controls.
#define IDD_PROGRESS 200
#define IDC_PROGRESS_TEXT 201
#define IDC_PROGRESS_BAR 202

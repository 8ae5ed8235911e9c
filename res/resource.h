// Resource identifiers of k3driftlet. Paired texts: the first identifier of
// each pair is the Japanese text, the second the English one.
#pragma once

// Frame (icon and placeholder menu) and images
#define IDR_MAINFRAME 128
#define IDB_LOGO 130
#define IDB_TITLE_ACTIVE 131
#define IDB_TITLE_INACTIVE 158
#define IDB_CORNER 219
#define IDR_SAVE_IMAGE_JA 140
#define IDR_SAVE_IMAGE_EN 156
#define IDR_REMOVE_IMAGE_JA 134
#define IDR_REMOVE_IMAGE_EN 157
#define IDR_ICON_IMAGE 136
#define IDC_GRAB 11105
// The same images drawn at 150 and 200 per cent: the identifier plus
// kArt150Offset or kArt200Offset (ui/ViewResources.h).
#define IDB_LOGO_150 20130
#define IDB_TITLE_ACTIVE_150 20131
#define IDB_TITLE_INACTIVE_150 20158
#define IDB_CORNER_150 20219
#define IDR_SAVE_IMAGE_JA_150 20140
#define IDR_SAVE_IMAGE_EN_150 20156
#define IDR_REMOVE_IMAGE_JA_150 20134
#define IDR_REMOVE_IMAGE_EN_150 20157
#define IDR_ICON_IMAGE_150 20136
#define IDB_LOGO_200 21130
#define IDB_TITLE_ACTIVE_200 21131
#define IDB_TITLE_INACTIVE_200 21158
#define IDB_CORNER_200 21219
#define IDR_SAVE_IMAGE_JA_200 21140
#define IDR_SAVE_IMAGE_EN_200 21156
#define IDR_REMOVE_IMAGE_JA_200 21134
#define IDR_REMOVE_IMAGE_EN_200 21157
#define IDR_ICON_IMAGE_200 21136

// Progress dialog
#define IDD_PROGRESS 11100
#define IDC_PROGRESS_BAR 11101

// Texts
#define IDS_OLE_FAILED_JA 100
#define IDS_OLE_FAILED_EN 101
#define IDS_ERROR_JA 112
#define IDS_ERROR_EN 113
#define IDS_UP_TO_DATE_JA 114
#define IDS_UP_TO_DATE_EN 115
#define IDS_DOWNLOADED_JA 116
#define IDS_DOWNLOADED_EN 117
#define IDS_ADD_IMAGES_FIRST_JA 129
#define IDS_ADD_IMAGES_FIRST_EN 147
#define IDS_NO_SELECTION_JA 132
#define IDS_NO_SELECTION_EN 149
#define IDS_CONFIRM_REMOVE_JA 133
#define IDS_CONFIRM_REMOVE_EN 150
#define IDS_CONFIRM_EXIT_JA 138
#define IDS_CONFIRM_EXIT_EN 152
#define IDS_DROP_HINT_JA 139
#define IDS_DROP_HINT_EN 146
#define IDS_NOT_PACKAGE_JA 142
#define IDS_NOT_PACKAGE_EN 155
#define IDS_INVALID_PARAMETER_JA 143
#define IDS_INVALID_PARAMETER_EN 154
#define IDS_NO_INTERNET_JA 850
#define IDS_NO_INTERNET_EN 851
// The download's failures: the clock (Japanese only), a WinINet error with
// its code and text, the fetch's own error code, memory exhausted.
#define IDS_CLOCK_WRONG_JA 852
#define IDS_INTERNET_ERROR_JA 854
#define IDS_INTERNET_ERROR_EN 855
#define IDS_FETCH_ERROR 856
#define IDS_FETCH_NO_MEMORY_JA 858
#define IDS_FETCH_NO_MEMORY_EN 859
#define IDS_COMPLETED_JA 11811
#define IDS_COMPLETED_EN 11812
#define IDS_WRITE_ERROR_JA 11822
#define IDS_WRITE_ERROR_EN 11823
#define IDS_READ_ERROR_JA 11824
#define IDS_READ_ERROR_EN 11831

// Main view: the settings panel's texts, the caption, the count line and the
// save dialog's filter. Each pair is (Japanese, English) at (n, n + 1).
#define IDS_TYPE_LABEL 300
#define IDS_TYPE_PHOTO 302
#define IDS_TYPE_SPHERE 304
#define IDS_TYPE_RIPPLE 306
#define IDS_TYPE_WAVE 308
#define IDS_TYPE_ROTATE 310
#define IDS_SPEED_LABEL 312
#define IDS_SPEED_SLOW 314
#define IDS_SPEED_NORMAL 316
#define IDS_SPEED_FAST 318
#define IDS_SIZE_LABEL 320
#define IDS_ZORDER_LABEL 322
#define IDS_ZORDER_BOTTOM 324
#define IDS_ZORDER_NORMAL 326
#define IDS_ZORDER_TOP 328
#define IDS_INTERVAL_LABEL 330
#define IDS_INTERVAL_FIRST 332  // nine pairs: 332 ... 349
#define IDS_SETTINGS_CAPTION 350
#define IDS_COUNT_LINE 352
#define IDS_SAVE_FILTER 354
#define IDS_DROP_HINT_KEYS 356  // the drop hint's lines on pasting and opening
#define IDS_OPEN_FILTER 358     // the open dialog's file types
#define IDS_OPEN_TITLE 360      // the open dialog's title
// The names of the controls for screen readers (pairs).
#define IDS_NAME_SAVE 362
#define IDS_NAME_REMOVE 364
#define IDS_NAME_REMOVE_ALL 366
#define IDS_NAME_UPDATE 368
#define IDS_NAME_VENDOR_PAGE 370
#define IDS_NAME_PRODUCT_PAGE 372
#define IDS_NAME_MINIMIZE 374
#define IDS_NAME_CLOSE 376
#define IDS_LABEL_PHOTOS 378
#define IDS_LABEL_STRENGTH 380
#define IDS_LABEL_WAVES 382
// The notification area's menu and tip (pairs).
#define IDS_TRAY_PAUSE 384
#define IDS_TRAY_RESUME 386
#define IDS_TRAY_PAUSE_NO_KEY 388
#define IDS_TRAY_RESUME_NO_KEY 390
#define IDS_TRAY_HIDE 392
#define IDS_TRAY_SHOW 394
#define IDS_TRAY_MAIN_WINDOW 396
#define IDS_TRAY_EXIT 398
#define IDS_TRAY_TIP_PAUSED 400
#define IDS_TRAY_TIP_HIDDEN 402

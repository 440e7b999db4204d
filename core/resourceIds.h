// Resource and control numbers shared by the .rc files and the code.
#ifndef VELMORANT_RESOURCE_IDS_H
#define VELMORANT_RESOURCE_IDS_H

#define IDI_SETUP 110

#define IDD_AGREEMENT 111
#define IDC_AGREEMENT_TEXT 1101

#define IDD_PROGRESS 109
#define IDC_PROGRESS_PERCENT 1002
#define IDC_PROGRESS_FILE 1100

#define IDD_FOLDER 24000
#define IDC_PARENT_FOLDER 24001
#define IDC_APPLICATION_FOLDER 24002
#define IDC_BROWSE 24003

#endif

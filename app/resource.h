// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDD_MAIN         1000
#define IDC_SOURCE_GROUP 1001
#define IDC_DEST_GROUP   1002
#define IDC_SEQUENCE     1003
#define IDC_EXECUTE      1004

#define IDR_MAIN_MENU 10000
#define IDI_APP       30000

#define IDM_DEFAULT_SEQUENCE  10011
#define IDM_LOAD_SEQUENCE     10012
#define IDM_SAVE_SEQUENCE     10013
#define IDM_SAVE_SEQUENCE_AS  10014
#define IDM_CLEAR_SEQUENCE    10015
#define IDM_RECORD_SEQUENCE   10016
#define IDM_STOP_RECORDING    10017
#define IDM_SOURCE_ASSEMBLE   10021
#define IDM_SOURCE_LOAD       10022
#define IDM_SOURCE_SAVE       10023
#define IDM_SOURCE_SAVE_AS    10024
#define IDM_SOURCE_COPY       10025
#define IDM_DEST_ASSEMBLE     10031
#define IDM_DEST_LOAD         10032
#define IDM_DEST_SAVE         10033
#define IDM_DEST_SAVE_AS      10034
#define IDM_DEST_COPY         10035
#define IDM_FIND_SEQUENCE     10041
#define IDM_EXECUTE_SEQUENCE  10042
#define IDM_OPTIMIZE_SEQUENCE 10043
#define IDM_SWAP_CUBES        10044
#define IDM_DEFAULT_COLORING  10045
#define IDM_SIDES_COLORING    10051
#define IDM_SEQUENCE_COMMENT  10052
#define IDM_CUBE_COMMENT      10053
#define IDM_OPTIONS           10054
#define IDM_SAVE_SETTINGS     10055
#define IDM_HELP              10061
#define IDM_ABOUT             10062

#define IDD_PROGRESS        5000
#define IDC_PROGRESS_TITLE  5001
#define IDC_PROGRESS_BAR    5002
#define IDC_LENGTH_LABEL    5003
#define IDC_LENGTH          5004
#define IDC_CANDIDATE_LABEL 5005
#define IDC_CANDIDATE       5006
#define IDC_PAUSE           5007
#define IDC_ELAPSED         5008
#define IDC_ELAPSED_LABEL   5009
#define IDC_ABORT           5010

#ifndef QEL_MESSAGES_H
#define QEL_MESSAGES_H

// The message tables. Row n of a table holds the text whose code carries the
// number n; every text is a printf format beginning with its code and ": ".
enum
{
    QEL_ERROR_MSG_COUNT = 238,   // E000-E237
    QEL_WARNING_MSG_COUNT = 155, // W000-W154
    QEL_INFO_MSG_COUNT = 200,    // I000-I199
    QEL_RESULT_MSG_COUNT = 39    // row 0 empty, RM01-RM38
};

extern const char* const achErrorMsg[QEL_ERROR_MSG_COUNT];
extern const char* const achWarningMsg[QEL_WARNING_MSG_COUNT];
extern const char* const achInfoMsg[QEL_INFO_MSG_COUNT];
// Results of the image library, addressed by negative message ids.
extern const char* const achResultMsg[QEL_RESULT_MSG_COUNT];

#endif

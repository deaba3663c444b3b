* Code Block: a machine language object that keeps the RPL registers.
*
CODE
        GOSBVL  =SAVPTR         * save D0, D1, B and D

*       Your code here.

        GOVLNG  =GETPTRLOOP     * restore the registers and go back to RPL
ENDCODE

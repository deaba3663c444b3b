* KEEP: a code object that saves the RPL registers and returns to RPL.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
CODE
        GOSBVL  =SAVPTR         * save D0, D1, B and D
        GOTO    done            * a jump inside the object
done    GOVLNG  =GETPTRLOOP     * restore the registers and go on with RPL
ENDCODE

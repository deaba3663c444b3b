* NOTE: a string variable; a directory holds data as well as programs.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
$ "3 4 HYPOT gives 5"

* SQ: the square of a real number.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK1&Dispatch
  # 1
  :: DUP %* ;
;

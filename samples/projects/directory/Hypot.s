* HYPOT: the hypotenuse of a right triangle from its two other sides. It runs
* SQ, another variable of the same directory, by its name.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK2&Dispatch
  # 11
  ::
    ID SQ
    SWAP
    ID SQ
    %+
    %SQRT
  ;
;

* LITS: a list holding one object of every kind the compiler writes.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
{
  # 1C                           ( system binary, hex )
  100                            ( system binary, decimal )
  % 1                            ( real numbers )
  % -12.5
  % .5
  %% 1                           ( extended real )
  C% 1 2                         ( complex: real part, imaginary part )
  C%% 1 2                        ( extended complex )
  CHR A                          ( character )
  $ "AB"                         ( string )
  HXS 3 008                      ( hex string: digit count, digits low first )
  ID Hello                       ( global name )
  LAM n                          ( local name )
  TAG x % 1                      ( tagged object )
  ROMPTR 4D2 1                   ( library command )
  GROB E 2000080000FF18          ( 8 x 2 graphics object )
  ARRY [ % 1 % 2 ]               ( real vector )
  LNKARRY [ $ "a" $ "bc" ]       ( linked array of strings )
  UNIT % 1 CHR k $ "m" umP $ "s" %2 um^ um/ umEND ;   ( 1_km/s^2 )
  SYMBOL ID A ;                  ( the algebraic 'A' )
  PTR 03188                      ( a pointer to a fixed address: DUP )
  :: DUP ;                       ( a program )
  { }                            ( an empty list )
}

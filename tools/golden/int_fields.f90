! Golden table of integer edit descriptors used by the text utilities and the
! diagnostic boxes: for each value, the I11 field (integer to text), the I4
! field (message counter) and the I3 field (message code), each between bars.
! Regenerate with tools/golden/regen.sh (writes tests/data/diagnostics/int_fields.txt).
program gen_int_fields
  implicit none
  integer, parameter :: n = 22
  integer :: values(n), i
  character(len=11) :: f11
  character(len=4) :: f4
  character(len=3) :: f3
  values = (/ 0, 1, -1, 9, 10, -9, -10, 42, -42, 99, -99, 100, 999, 1000, 9999, 10000, &
              -100, 123456789, 999999999, -999999999, 2147483647, -2147483647 - 1 /)
  do i = 1, n
    write (f11, '(I11)') values(i)
    write (f4, '(I4)') values(i)
    write (f3, '(I3)') values(i)
    write (*, '(I0, A, A, A, A, A, A, A)') values(i), ' |', f11, '|', f4, '|', f3, '|'
  end do
end program gen_int_fields

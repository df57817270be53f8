! Golden table of the number fields of the progress monitor: for each real its
! 64-bit pattern (Z16) and its ES22.15 field; for each integer its I10 field.
! Regenerate with tools/golden/regen.sh (writes tests/data/run/monitor_fields.txt).
program gen_monitor_fields
  implicit none
  integer, parameter :: dp = kind(1.0d0)
  integer, parameter :: nr = 22, ni = 9
  real(dp) :: r(nr)
  integer :: iv(ni), i
  character(len=22) :: f
  character(len=10) :: g
  r = (/ 0.0_dp, 0.01_dp, -0.01_dp, real(0.01, dp), 1.0_dp, -1.0_dp, 1.0_dp/3.0_dp, &
         -2.0_dp/3.0_dp, 6050.247_dp, real(6050.247, dp), 0.99999999999999995_dp, &
         9.9999999999999999e99_dp, 1.0e100_dp, -1.0e-100_dp, 1.0e-300_dp, huge(1.0_dp), &
         tiny(1.0_dp), 5.0e-324_dp, 273.15_dp, 1.0e15_dp, 123456789.123456789_dp, &
         2147483647.0_dp /)
  iv = (/ 0, 1, -1, 10, 999999999, -999999999, 2147483647, -2147483647 - 1, 1234567890 /)
  do i = 1, nr
    write (f, '(ES22.15)') r(i)
    write (*, '(A, Z16.16, A, A, A)') 'R ', r(i), ' |', f, '|'
  end do
  do i = 1, ni
    write (g, '(I10)') iv(i)
    write (*, '(A, I0, A, A, A)') 'I ', iv(i), ' |', g, '|'
  end do
end program gen_monitor_fields

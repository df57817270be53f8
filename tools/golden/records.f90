! Writes tests/data/records/gfortran_records.bin: a sequential unformatted file
! whose record framing the unit layer must reproduce byte for byte.
program records
  implicit none
  integer :: i
  double precision :: long(1000)
  character(len=24) :: name
  do i = 1, 1000
    long(i) = i * 0.5d0 - 100d0
  end do
  name = 'GFORTRAN RECORD FIXTURE'
  open (20, file='gfortran_records.bin', form='unformatted', access='sequential', status='replace')
  write (20) 1, -2, 2147483647
  write (20) 1.5d0, -2.25d0, 3.141592653589793d0
  write (20) name
  write (20)
  write (20) long
  write (20) 42, 6.5d0, 'ABCDEFGH'
  close (20)
end program

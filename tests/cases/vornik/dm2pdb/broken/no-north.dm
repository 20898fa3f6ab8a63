M 99XX001 TEST                                                    1                 
      0      5      1      5                  1                                     
